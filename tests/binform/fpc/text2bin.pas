{ Converts form texts with Free Pascal's Classes unit, for comparison with
  our own converter. Usage: text2bin bin|res DIR COUNT
  Reads DIR/<i>.txt for i = 0..COUNT-1 and writes DIR/<i>.bin, or DIR/<i>.err
  with the message when the conversion fails. "bin" writes the bare object
  stream (ObjectTextToBinary), "res" the stream behind a 16-bit resource
  header (ObjectTextToResource). }
program text2bin;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils;

procedure SaveText(const FileName, Text: string);
var
  F: TFileStream;
begin
  F := TFileStream.Create(FileName, fmCreate);
  try
    if Length(Text) > 0 then
      F.WriteBuffer(Text[1], Length(Text));
  finally
    F.Free;
  end;
end;

var
  Mode, Dir, Base: string;
  Count, I: Integer;
  Input: TFileStream;
  Output: TMemoryStream;
begin
  if ParamCount <> 3 then
  begin
    WriteLn(StdErr, 'usage: text2bin bin|res DIR COUNT');
    Halt(2);
  end;
  Mode := ParamStr(1);
  Dir := ParamStr(2);
  Count := StrToInt(ParamStr(3));
  for I := 0 to Count - 1 do
  begin
    Base := Dir + '/' + IntToStr(I);
    Input := TFileStream.Create(Base + '.txt', fmOpenRead);
    Output := TMemoryStream.Create;
    try
      try
        if Mode = 'res' then
          ObjectTextToResource(Input, Output)
        else
          ObjectTextToBinary(Input, Output);
        Output.SaveToFile(Base + '.bin');
      except
        on E: Exception do
          SaveText(Base + '.err', E.ClassName + ': ' + E.Message);
      end;
    finally
      Output.Free;
      Input.Free;
    end;
  end;
end.
