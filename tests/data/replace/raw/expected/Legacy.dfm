object Legacy: TLegacy
  Caption = 'CafÈ Åç'  
	Left = 8
  object qOld: TKyQuery
    SQL.Strings = (
            'select ç from t')
    Left = 8
  end
	 object lOld: TLabel  
    Caption = 'Å'  end
end
