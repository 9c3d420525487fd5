object BaseForm: TBaseForm
  Caption = 'Base'
  object DB1: TDatabase
    DatabaseName = 'Sales'
    SessionName = 'Default'
  end
  object quElement: TQuery
    DatabaseName = 'Sales'
    SQL.Strings = (
      'select 1')
    Left = 8
  end
end
