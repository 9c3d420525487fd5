unit Utils;

{ Small helpers shared by the Order Desk units: the order log file and
  accent folding for the customer search. Nothing in here touches the
  database, so it stays the same whatever data access the rest uses. }

interface

uses
  Windows, SysUtils, Classes;

procedure WriteOrderLog(OrderNo: Integer; const What: string);
function FoldAccents(const S: string): string;

implementation

const
  LogFileName = 'OrderDesk.log';
  Accented   = 'ÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÑÒÓÔÕÖÙÚÛÜİàáâãäåçèéêëìíîïñòóôõöùúûüıÿ';
  Unaccented = 'AAAAAACEEEEIIIINOOOOOUUUUYaaaaaaceeeeiiiinooooouuuuyy';

procedure WriteOrderLog(OrderNo: Integer; const What: string);
var
  F: TextFile;
  Name: string;
begin
  Name := ExtractFilePath(ParamStr(0)) + LogFileName;
  AssignFile(F, Name);
  if FileExists(Name) then
    Append(F)
  else
    Rewrite(F);
  try
    WriteLn(F, FormatDateTime('yyyy-mm-dd hh:nn:ss', Now), #9, OrderNo, #9, What);
  finally
    CloseFile(F);
  end;
end;

function FoldAccents(const S: string): string;
var
  I, P: Integer;
begin
  Result := S;
  for I := 1 to Length(Result) do
  begin
    P := Pos(Result[I], Accented);
    if P > 0 then
      Result[I] := Unaccented[P];
  end;
end;

end.
