unit Customers;

{ Customer list with the orders of the selected customer. The customer
  query lives in the data module; the orders query here is its detail. }

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Dialogs,
  StdCtrls, ExtCtrls, Grids, DBGrids, DBCtrls, Db, DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem;

type
  TCustomersForm = class(TForm)
    pnlSearch: TPanel;
    lblSearch: TLabel;
    edSearch: TEdit;
    navCustomers: TDBNavigator;
    lblHint: TLabel;
    grdCustomers: TDBGrid;
    grdCustOrders: TDBGrid;
    qryCustOrders: TKyQuery;
    dsCustOrders: TDataSource;
    tblCountry: TKyTable;
    dsCountry: TDataSource;
    procedure FormCreate(Sender: TObject);
    procedure FormClose(Sender: TObject; var Action: TCloseAction);
    procedure edSearchChange(Sender: TObject);
  end;

procedure ShowCustomers;

implementation

uses
  DataMod, Utils;

{$R *.DFM}

procedure ShowCustomers;
begin
  with TCustomersForm.Create(Application) do
    Show;
end;

procedure TCustomersForm.FormCreate(Sender: TObject);
begin
  // country names still come from the old Paradox table (alias DBDEMOS)
  tblCountry.Open;
  qryCustOrders.Open;
end;

procedure TCustomersForm.FormClose(Sender: TObject; var Action: TCloseAction);
begin
  qryCustOrders.Close;
  tblCountry.Close;
  Action := caFree;
end;

procedure TCustomersForm.edSearchChange(Sender: TObject);
var
  Key: string;
begin
  Key := FoldAccents(Trim(edSearch.Text));
  if Key <> '' then
    OrderData.qryCustomers.Locate('COMPANY', Key, [loCaseInsensitive, loPartialKey]);
end;

end.
