unit Caisse;

interface

uses
  Classes, Forms, DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem;

type
  { Fenêtre de caisse : la requête TKyQuery lit les ventes du jour }
  TCaisse = class(TForm)
    qVentes: TKyQuery;
  end;

const
  Titre = 'Ventes réglées — aujourd’hui';

implementation

{$R *.dfm}

end.
