{ Converts many binary form files to text, or form texts to binary form
  files, in one process with Free Pascal's Classes unit; the peer our own
  converters are timed against (bench/run.sh builds it with fpc).

  Usage: formconv b2t|t2b LISTFILE OUTDIR [REPEAT]

  LISTFILE names one input file per line. b2t reads each as a binary form
  with a 16-bit resource header (ObjectResourceToText) and writes
  OUTDIR/<name>.txt; t2b reads each as form text (ObjectTextToResource) and
  writes OUTDIR/<name>.dfm. The whole list is converted REPEAT times (default
  1). Every file is read into memory and written from memory, as the C++
  driver does. Prints the counts; exit status 1 when a file failed. }
program formconv;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils;

var
  Mode, OutDir, Ext: string;
  Repeats, R, I, Done, Failed: Integer;
  Names: TStringList;
  Input, Output: TMemoryStream;
begin
  if (ParamCount < 3) or (ParamCount > 4) then
  begin
    WriteLn(StdErr, 'usage: formconv b2t|t2b LISTFILE OUTDIR [REPEAT]');
    Halt(2);
  end;
  Mode := ParamStr(1);
  if Mode = 'b2t' then
    Ext := '.txt'
  else if Mode = 't2b' then
    Ext := '.dfm'
  else
  begin
    WriteLn(StdErr, 'formconv: mode must be b2t or t2b');
    Halt(2);
  end;
  OutDir := ParamStr(3);
  Repeats := 1;
  if ParamCount = 4 then
    Repeats := StrToInt(ParamStr(4));

  // Form texts and code-page strings are Windows-1252, as on the machines
  // the forms come from; our side converts with the same code page.
  DefaultSystemCodePage := 1252;
  Done := 0;
  Failed := 0;
  Names := TStringList.Create;
  Input := TMemoryStream.Create;
  Output := TMemoryStream.Create;
  try
    Names.LoadFromFile(ParamStr(2));
    for R := 1 to Repeats do
      for I := 0 to Names.Count - 1 do
      begin
        try
          Input.LoadFromFile(Names[I]);
          Input.Position := 0;  // LoadFromFile leaves it at the end
          Output.Clear;
          if Mode = 'b2t' then
            ObjectResourceToText(Input, Output)
          else
            ObjectTextToResource(Input, Output);
          Output.SaveToFile(OutDir + '/' + ChangeFileExt(ExtractFileName(Names[I]), Ext));
          Inc(Done);
        except
          on E: Exception do
          begin
            Inc(Failed);
            if Failed <= 5 then
              WriteLn(StdErr, Names[I], ': ', E.ClassName, ': ', E.Message);
          end;
        end;
      end;
  finally
    Output.Free;
    Input.Free;
    Names.Free;
  end;
  WriteLn(Done, ' converted, ', Failed, ' failed');
  if Failed > 0 then
    ExitCode := 1;
end.
