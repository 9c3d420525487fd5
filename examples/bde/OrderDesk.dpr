program OrderDesk;

uses
  Forms,
  Main in 'Main.pas' {MainForm},
  DataMod in 'DataMod.pas' {OrderData: TDataModule},
  Customers in 'Customers.pas' {CustomersForm},
  Reports in 'Reports.pas',
  Utils in 'Utils.pas';

{$R *.res}

begin
  Application.Initialize;
  Application.Title := 'Order Desk';
  Application.CreateForm(TOrderData, OrderData);
  Application.CreateForm(TMainForm, MainForm);
  Application.Run;
end.
