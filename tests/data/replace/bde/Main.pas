unit Main;

interface

uses
  Windows, SysUtils, Classes, Forms, Controls, ExtCtrls, Dialogs, Db, DBTables, BaseForm;

type
  { TForm1 shows the customers (a TQuery) with their orders }
  TForm1 = class(TBaseForm)
    Database1: TDatabase;
    qCustomers: TQuery;
    dsCustomers: TDataSource;
    qOrders: TQuery;
    tItems: TTable;
    spTotals: TStoredProc;
    usCustomers: TUpdateSQL;
    bmArchive: TBatchMove;
    qDeep: tquery;
    qOuter: TQuery;
    tInner: TTable;
    procedure FormCreate(Sender: TObject);
  private
    // the last TTable that was opened
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
    if FLast is TTable then
      (FLast as TTable).Close;
  except
    on E: EDBEngineError do (* the TDatabase could not log in *)
      Report('TQuery', E.Message);
  end;
end;

end.
