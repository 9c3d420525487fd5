unit Orders;

interface

uses
  SysUtils, Classes, Forms, DB, adodb;

type
  TOrdersForm = class(TForm)
    Conn: TADOConnection;
    cmdPurge: TADOCommand;
    dsetOrders: TADODataSet;
    tblItems: TADOTable;
    qryCustomers: TADOQuery;
    spTotals: TADOStoredProc;
    dsOrders: TDataSource;
  end;

var
  OrdersForm: TOrdersForm;

implementation

{$R *.DFM}

end.
