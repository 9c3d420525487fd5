program Inventory;

uses
  Forms,
  Main in 'Main.pas' {MainForm};

{$R *.res}

begin
  Application.Initialize;
  Application.Title := 'Inventory';
  Application.CreateForm(TMainForm, MainForm);
  Application.Run;
end.
