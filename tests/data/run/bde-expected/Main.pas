unit Main;

{ Order Desk main window.

  The upper grid lists the open orders (qryOrders), the lower grid the items
  of the selected order. The items come from a detail TKyQuery whose DataSource
  is dsOrders, so the BDE re-opens it with :ORDER_NO of the current order.
  Item edits are cached and written by the TKyUpdateSQL updItems. }

interface

uses
  Windows, Messages, SysUtils, Variants, Classes, Graphics, Controls, Forms,
  Dialogs, StdCtrls, ExtCtrls, Buttons, Grids, DBGrids, DBCtrls, DB, DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem;

type
  TMainForm = class(TForm)
    pnlTop: TPanel;
    lblFrom: TLabel;
    edFromDate: TEdit;
    btnRefresh: TSpeedButton;
    btnCustomers: TButton;
    btnPost: TButton;
    btnArchive: TButton;
    btnSummary: TButton;
    grdOrders: TDBGrid;
    Splitter1: TSplitter;
    pnlBottom: TPanel;
    grdItems: TDBGrid;
    pnlTotals: TPanel;
    lblTotal: TLabel;
    txtTotal: TDBText;
    qryTotals: TKyQuery;
    dsTotals: TDataSource;
    qryOrders: TKyQuery;
    qryOrdersORDER_NO: TIntegerField;
    qryOrdersCUST_NO: TIntegerField;
    qryOrdersSALE_DATE: TDateTimeField;
    qryOrdersSTATUS: TStringField;
    qryOrdersTOTAL: TCurrencyField;
    dsOrders: TDataSource;
    qryItems: TKyQuery;
    dsItems: TDataSource;
    updItems: TKyUpdateSQL;
    tblParts: TKyTable;
    dsParts: TDataSource;
    spPostOrder: TKyStoredProc;
    qryOldOrders: TKyQuery;
    tblArchive: TKyTable;
    bmArchive: TQeBatchMove;
    procedure FormCreate(Sender: TObject);
    procedure FormCloseQuery(Sender: TObject; var CanClose: Boolean);
    procedure btnRefreshClick(Sender: TObject);
    procedure btnCustomersClick(Sender: TObject);
    procedure btnPostClick(Sender: TObject);
    procedure btnArchiveClick(Sender: TObject);
    procedure btnSummaryClick(Sender: TObject);
    procedure qryOrdersAfterScroll(DataSet: TDataSet);
    procedure qryItemsUpdateError(DataSet: TDataSet; E: EDatabaseError;
      UpdateKind: TUpdateKind; var UpdateAction: TUpdateAction);
  private
    FFromDate: TDateTime;
    procedure OpenOrders;
    procedure ShowEngineError(const Action: string; E: EKyProvError);
    function ItemsPending: Boolean;
  public
    procedure RefreshAll;
  end;

var
  MainForm: TMainForm;

implementation

uses
  DataMod, Customers, Reports, Utils;

{$R *.dfm}

const
  SPostConfirm = 'Post order %d?'#13#10'It''s final: the order uses stock as soon as it is posted.';
  SArchiveDone = '%d old orders moved to ORDERS_ARCHIVE.';

procedure TMainForm.FormCreate(Sender: TObject);
begin
  FFromDate := Date - 90;
  edFromDate.Text := DateToStr(FFromDate);
  tblParts.Open;
  OpenOrders;
end;

procedure TMainForm.OpenOrders;
begin
  qryOrders.DisableControls;
  try
    qryOrders.Close;
    qryOrders.ParamByName('FromDate').AsDateTime := FFromDate;
    qryOrders.Open;
    qryItems.Open;   // detail: follows qryOrders through dsOrders
  finally
    qryOrders.EnableControls;
  end;
end;

procedure TMainForm.RefreshAll;
var
  I: Integer;
begin
  { Re-open every open dataset on the form; TKyTable and TKyQuery alike. }
  for I := 0 to ComponentCount - 1 do
    if (Components[I] is TDBDataSet) and TDBDataSet(Components[I]).Active then
    begin
      if Components[I] is TKyQuery then
        TKyQuery(Components[I]).Close
      else
        (Components[I] as TKyTable).Refresh;
    end;
  OpenOrders;
end;

procedure TMainForm.btnRefreshClick(Sender: TObject);
begin
  FFromDate := StrToDateDef(edFromDate.Text, FFromDate);
  RefreshAll;
end;

procedure TMainForm.btnCustomersClick(Sender: TObject);
begin
  ShowCustomers;
end;

function TMainForm.ItemsPending: Boolean;
begin
  Result := qryItems.Active and qryItems.UpdatesPending;
end;

procedure TMainForm.qryOrdersAfterScroll(DataSet: TDataSet);
begin
  (* The totals query is parameterised like the detail TKyQuery, but it is
     opened by hand: it sits on pnlTotals and is only refreshed here. *)
  qryTotals.Close;
  qryTotals.ParamByName('ORDER_NO').AsInteger := DataSet.FieldByName('ORDER_NO').AsInteger;
  qryTotals.Open;
end;

procedure TMainForm.ShowEngineError(const Action: string; E: EKyProvError);
var
  I: Integer;
  Msg: string;
begin
  Msg := Action + ' failed:';
  for I := 0 to E.ErrorCount - 1 do
    Msg := Msg + #13#10 + Format('  [%d] %s', [E.Errors[I].NativeError, E.Errors[I].Message]);
  MessageDlg(Msg, mtError, [mbOK], 0);
end;

procedure TMainForm.btnPostClick(Sender: TObject);
var
  OrderNo: Integer;
begin
  OrderNo := qryOrdersORDER_NO.Value;
  if MessageDlg(Format(SPostConfirm, [OrderNo]), mtConfirmation, [mbYes, mbNo], 0) <> mrYes then
    Exit;
  try
    if ItemsPending then
      OrderData.dbOrderDesk.ApplyUpdates([qryItems]);
    // TKyStoredProc POST_ORDER checks the stock and books the order
    spPostOrder.ParamByName('ORDER_NO').AsInteger := OrderNo;
    spPostOrder.ExecProc;
    if spPostOrder.ParamByName('Result').AsInteger <> 0 then
      raise Exception.Create('Order ' + IntToStr(OrderNo) + ' uses parts that are out of stock');
    WriteOrderLog(OrderNo, 'posted');
  except
    on E: EKyProvError do
      ShowEngineError('Posting order ' + IntToStr(OrderNo), E);
  end;
  RefreshAll;
end;

procedure TMainForm.btnArchiveClick(Sender: TObject);
begin
  // TQeBatchMove appends everything qryOldOrders returns to the archive TKyTable.
  qryOldOrders.ParamByName('Before').AsDateTime := Date - 365;
  try
    bmArchive.Execute;
    ShowMessage(Format(SArchiveDone, [bmArchive.MovedCount]));
  except
    on E: EKyProvError do
      ShowEngineError('Archiving', E);
    on E: EDatabaseError do
      MessageDlg(E.Message, mtError, [mbOK], 0);
  end;
end;

procedure TMainForm.btnSummaryClick(Sender: TObject);
begin
  ShowOrderSummary(FFromDate, Date);
end;

procedure TMainForm.qryItemsUpdateError(DataSet: TDataSet; E: EDatabaseError;
  UpdateKind: TUpdateKind; var UpdateAction: TUpdateAction);
begin
  if E is EKyProvError then
    ShowEngineError('Saving items', EKyProvError(E))
  else
    MessageDlg(E.Message, mtError, [mbOK], 0);
  UpdateAction := uaAbort;
end;

procedure TMainForm.FormCloseQuery(Sender: TObject; var CanClose: Boolean);
begin
  CanClose := True;
  if ItemsPending then
    case MessageDlg('Save the changed items?', mtConfirmation, [mbYes, mbNo, mbCancel], 0) of
      mrYes: OrderData.dbOrderDesk.ApplyUpdates([qryItems]);
      mrNo: qryItems.CancelUpdates;
    else
      CanClose := False;
    end;
end;

end.
