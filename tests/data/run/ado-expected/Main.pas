unit Main;

{ Inventory: stock per item with its movements, the supplier of the item,
  reordering through the stored procedure REORDER_ITEM and the reset of the
  counted flags before a stock-taking. Everything goes through the one
  TKyConnection conInventory. }

interface

uses
  Windows, Messages, SysUtils, Variants, Classes, Graphics, Controls, Forms,
  Dialogs, StdCtrls, ExtCtrls, Grids, DBGrids, DBCtrls, ComObj, DB, ADODB, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem;

type
  TMainForm = class(TForm)
    pnlTools: TPanel;
    lblWarehouse: TLabel;
    cbWarehouse: TDBLookupComboBox;
    btnReorder: TButton;
    btnResetCounts: TButton;
    grdStock: TDBGrid;
    grdMovements: TDBGrid;
    pnlSupplier: TPanel;
    txtSupplier: TDBText;
    txtPhone: TDBText;
    conInventory: TKyConnection;
    qryStock: TKyQuery;
    dsStock: TDataSource;
    qryMovements: TKyQuery;
    dsMovements: TDataSource;
    dsetSupplier: TKyQuery;
    dsSupplier: TDataSource;
    cmdResetCounts: TKySQL;
    spReorder: TKyStoredProc;
    tblWarehouses: TKyTable;
    dsWarehouses: TDataSource;
    procedure FormCreate(Sender: TObject);
    procedure FormDestroy(Sender: TObject);
    procedure btnReorderClick(Sender: TObject);
    procedure btnResetCountsClick(Sender: TObject);
    procedure DataSetAfterPost(DataSet: TDataSet);
  private
    procedure ShowAdoErrors(const Action: string);
  end;

var
  MainForm: TMainForm;

implementation

{$R *.dfm}

procedure TMainForm.FormCreate(Sender: TObject);
begin
  try
    conInventory.Open;
  except
    on E: EOleException do
    begin
      MessageDlg('Cannot reach the inventory database:'#13#10 + E.Message, mtError, [mbOK], 0);
      Application.Terminate;
      Exit;
    end;
  end;
  tblWarehouses.Open;
  qryStock.Parameters.ParamByName('MinQty').Value := 0;
  qryStock.Open;
  // the detail TKyQuery and TKyQuery follow qryStock through dsStock
  qryMovements.Open;
  dsetSupplier.Open;
end;

procedure TMainForm.FormDestroy(Sender: TObject);
begin
  conInventory.Close;
end;

procedure TMainForm.ShowAdoErrors(const Action: string);
var
  I: Integer;
  Msg: string;
begin
  Msg := Action + ' failed:';
  for I := 0 to conInventory.Errors.Count - 1 do
    Msg := Msg + #13#10 + conInventory.Errors[I].Description;
  MessageDlg(Msg, mtError, [mbOK], 0);
end;

procedure TMainForm.btnReorderClick(Sender: TObject);
var
  ItemID: Integer;
begin
  ItemID := qryStock.FieldByName('ITEM_ID').AsInteger;
  (* TKyStoredProc: @RETURN_VALUE is 0 when the order was placed,
     1 when an open order for the item already exists. *)
  spReorder.Parameters.ParamByName('@ItemID').Value := ItemID;
  spReorder.Parameters.ParamByName('@Qty').Value :=
    qryStock.FieldByName('REORDER_QTY').AsInteger;
  try
    spReorder.ExecProc;
    if spReorder.Parameters.ParamByName('@RETURN_VALUE').Value = 1 then
      ShowMessage('An order for this item is already open.')
    else
      qryStock.Requery;
  except
    on E: EOleException do
      ShowAdoErrors('Reorder');
  end;
end;

procedure TMainForm.btnResetCountsClick(Sender: TObject);
begin
  if MessageDlg('Clear the counted flags of this warehouse?', mtConfirmation,
    [mbYes, mbNo], 0) <> mrYes then
    Exit;
  conInventory.BeginTrans;
  try
    cmdResetCounts.Parameters.ParamByName('WarehouseID').Value := cbWarehouse.KeyValue;
    cmdResetCounts.Execute;
    conInventory.CommitTrans;
  except
    conInventory.RollbackTrans;
    raise;
  end;
  qryStock.Requery;
end;

procedure TMainForm.DataSetAfterPost(DataSet: TDataSet);
begin
  // shared AfterPost of the TKyQuery datasets: keep the grid on the row
  if DataSet is TKyQuery then
    (DataSet as TKyQuery).UpdateCursorPos;
end;

end.
