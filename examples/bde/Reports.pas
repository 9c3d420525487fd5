unit Reports;

{ Bestellübersicht / Récapitulatif des commandes.

  Summary of the orders of a period for the accounts departments in Zürich
  and Genève, so the captions are in German and French. The figures come
  from a TQuery created on the fly (pas de fiche : l'unité n'a pas de .dfm). }

interface

uses
  SysUtils, Classes, Dialogs, DB, DBTables;

type
  TOrderSummary = class
  private
    FQuery: TQuery;
    FLines: TStringList;
    procedure AddLine(const Caption: string; Value: Currency);
  public
    constructor Create;
    destructor Destroy; override;
    procedure Build(FromDate, ToDate: TDateTime);
    property Lines: TStringList read FLines;
  end;

procedure ShowOrderSummary(FromDate, ToDate: TDateTime);

implementation

const
  STitle     = 'Bestellübersicht – Récapitulatif des commandes';
  SPeriod    = 'Zeitraum / Période : %s – %s';
  SOpen      = 'Offene Aufträge / Commandes ouvertes';
  SPosted    = 'Gebuchte Aufträge / Commandes comptabilisées';
  STotal     = 'Gesamtsumme / Total général';
  SNoOrders  = 'Keine Aufträge in diesem Zeitraum – aucune commande.';

constructor TOrderSummary.Create;
begin
  inherited Create;
  FLines := TStringList.Create;
  FQuery := TQuery.Create(nil);
  FQuery.DatabaseName := 'OrderDesk';
  with FQuery do
  begin
    RequestLive := False;   // read-only: the summary never edits
    UpdateMode := upWhereAll;
  end;
  FQuery.SQL.Text :=
    'select STATUS, count(*) as N, sum(TOTAL) as AMOUNT ' +
    'from ORDERS where SALE_DATE between :FromDate and :ToDate ' +
    'group by STATUS';
end;

destructor TOrderSummary.Destroy;
begin
  FQuery.Free;   // the TQuery is ours, not owned by a form
  FLines.Free;
  inherited Destroy;
end;

procedure TOrderSummary.AddLine(const Caption: string; Value: Currency);
begin
  FLines.Add(Format('%-48s %12.2m', [Caption, Value]));
end;

procedure TOrderSummary.Build(FromDate, ToDate: TDateTime);
var
  Total: Currency;
begin
  FLines.Clear;
  FLines.Add(STitle);
  FLines.Add(Format(SPeriod, [DateToStr(FromDate), DateToStr(ToDate)]));
  FLines.Add('');
  Total := 0;
  FQuery.ParamByName('FromDate').AsDateTime := FromDate;
  FQuery.ParamByName('ToDate').AsDateTime := ToDate;
  FQuery.Open;
  try
    if FQuery.IsEmpty then
      FLines.Add(SNoOrders);
    while not FQuery.Eof do
    begin
      if FQuery.FieldByName('STATUS').AsString = 'P' then
        AddLine(SPosted, FQuery.FieldByName('AMOUNT').AsCurrency)
      else
        AddLine(SOpen, FQuery.FieldByName('AMOUNT').AsCurrency);
      Total := Total + FQuery.FieldByName('AMOUNT').AsCurrency;
      FQuery.Next;
    end;
  finally
    FQuery.Close;
  end;
  AddLine(STotal, Total);
end;

procedure ShowOrderSummary(FromDate, ToDate: TDateTime);
var
  Summary: TOrderSummary;
begin
  Summary := TOrderSummary.Create;
  try
    Summary.Build(FromDate, ToDate);
    ShowMessage(Summary.Lines.Text);
  finally
    Summary.Free;
  end;
end;

end.
