unit Main;

interface

uses
  Windows, SysUtils, Classes, Forms, Controls, ExtCtrls, Dialogs, Db, DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem, BaseForm;

type
  { TForm1 shows the customers (a TKyQuery) with their orders }
  TForm1 = class(TBaseForm)
    Database1: TKyConnection;
    qCustomers: TKyQuery;
    dsCustomers: TDataSource;
    qOrders: TKyQuery;
    tItems: TKyTable;
    spTotals: TKyStoredProc;
    usCustomers: TKyUpdateSQL;
    bmArchive: TQeBatchMove;
    qDeep: TKyQuery;
    qOuter: TKyQuery;
    tInner: TKyTable;
    procedure FormCreate(Sender: TObject);
  private
    // the last TKyTable that was opened
    FLast: TDataSet;
    procedure Report(const What, Where: string);
  end;

var
  Form1: TForm1;

implementation

{$R *.dfm}

procedure TForm1.Report(const What, Where: string);
begin
  ShowMessage(What + ': ' + Where);
end;

procedure TForm1.FormCreate(Sender: TObject);
begin
  Report('uses', DBTables.Session.SessionName);
  try
    qCustomers.Open;
    if FLast is TKyTable then
      (FLast as TKyTable).Close;
  except
    on E: EKyProvError do (* the TKyConnection could not log in *)
      Report('TQuery', E.Message);
  end;
end;

end.
