program Inh;

uses
  Forms,
  BaseFrm in 'BaseFrm.pas' {BaseForm},
  ChildFrm in 'ChildFrm.pas' {ChildForm},
  Web in 'Web.pas' {table: TWebDataModule};

begin
end.
