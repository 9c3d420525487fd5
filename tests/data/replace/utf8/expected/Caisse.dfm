object Caisse: TCaisse
  Caption = 'Caisse — ventes réglées'
  object qVentes: TKyQuery
    SQL.Strings = (
            'select * from ventes where libellé <> ''réglé''')
    Left = 8
    Top = 8
  end
  object lTitre: TLabel
    Caption = 'Totaux €'
  end
end
