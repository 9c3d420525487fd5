object table: Ttable
  object Query1: TQuery
    DatabaseName = 'Sales'
  end
end
