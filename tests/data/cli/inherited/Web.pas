unit Web;

interface

uses Classes, HTTPApp, DBTables;

type
  Ttable = class(TWebDataModule)
    Query1: TQuery;
  end;

var
  table: Ttable;

implementation

{$R *.dfm}

end.
