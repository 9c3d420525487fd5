unit DataMod;

// Shared connection of Order Desk. Every query of the application names the
// database 'OrderDesk', which is the TKyConnection below; the alias ORDERSQL
// points at the SQL Server database of the order system.

interface

uses
  SysUtils, Classes, DB, DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem;

type
  TOrderData = class(TDataModule)
    dbOrderDesk: TKyConnection;
    qryCustomers: TKyQuery;
    dsCustomers: TDataSource;
    qryNextNumber: TKyQuery;
    procedure DataModuleCreate(Sender: TObject);
    procedure DataModuleDestroy(Sender: TObject);
  private
    procedure Connect;
  public
    function NextOrderNo: Integer;
    function CustomerName(CustNo: Integer): string;
  end;

var
  OrderData: TOrderData;

implementation

uses
  Utils;

{$R *.dfm}

procedure TOrderData.DataModuleCreate(Sender: TObject);
begin
  Connect;
  qryCustomers.Open;
end;

procedure TOrderData.DataModuleDestroy(Sender: TObject);
begin
  if dbOrderDesk.InTransaction then
    dbOrderDesk.Rollback;
  dbOrderDesk.Close;
end;

procedure TOrderData.Connect;
begin
  { The login comes from Params; LoginPrompt is off, so a wrong password
    surfaces here as an EKyProvError and not as a dialog. }
  try
    dbOrderDesk.Open;
  except
    on E: EKyProvError do
    begin
      WriteOrderLog(0, 'connect failed: ' + E.Message);
      raise;
    end;
  end;
end;

function TOrderData.NextOrderNo: Integer;
begin
  dbOrderDesk.StartTransaction;
  try
    qryNextNumber.Open;
    Result := qryNextNumber.Fields[0].AsInteger;
    qryNextNumber.Close;
    dbOrderDesk.Commit;
  except
    dbOrderDesk.Rollback;
    raise;
  end;
end;

function TOrderData.CustomerName(CustNo: Integer): string;
begin
  if qryCustomers.Locate('CUST_NO', CustNo, []) then
    Result := qryCustomers.FieldByName('COMPANY').AsString
  else
    Result := '';
end;

end.
