unit ChildFrm;

interface

uses Forms, DBTables, BaseFrm;

type
  TChildForm = class(TBaseForm)
    DB2: TDatabase;
  end;

implementation

{$R *.dfm}

end.
