unit BaseFrm;

interface

uses Forms, DBTables;

type
  TBaseForm = class(TForm)
    DB1: TDatabase;
    quElement: TQuery;
  end;

implementation

{$R *.dfm}

end.
