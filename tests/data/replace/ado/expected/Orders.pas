unit Orders;

interface

uses
  SysUtils, Classes, Forms, DB, adodb, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem;

type
  TOrdersForm = class(TForm)
    Conn: TKyConnection;
    cmdPurge: TKySQL;
    dsetOrders: TKyQuery;
    tblItems: TKyTable;
    qryCustomers: TKyQuery;
    spTotals: TKyStoredProc;
    dsOrders: TDataSource;
  end;

var
  OrdersForm: TOrdersForm;

implementation

{$R *.DFM}

end.
