unit Caisse;

interface

uses
  Classes, Forms, DBTables;

type
  { Fenêtre de caisse : la requête TQuery lit les ventes du jour }
  TCaisse = class(TForm)
    qVentes: TQuery;
  end;

const
  Titre = 'Ventes réglées — aujourd’hui';

implementation

{$R *.dfm}

end.
