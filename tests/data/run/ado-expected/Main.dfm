object MainForm: TMainForm
  Left = 220
  Top = 130
  Width = 720
  Height = 540
  Caption = 'Inventory'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OldCreateOrder = False
  Position = poDefaultPosOnly
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  object pnlTools: TPanel
    Left = 0
    Top = 0
    Width = 712
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object lblWarehouse: TLabel
      Left = 8
      Top = 14
      Width = 58
      Height = 13
      Caption = '&Warehouse:'
      FocusControl = cbWarehouse
    end
    object cbWarehouse: TDBLookupComboBox
      Left = 72
      Top = 10
      Width = 177
      Height = 21
      KeyField = 'WAREHOUSE_ID'
      ListField = 'NAME'
      ListSource = dsWarehouses
      TabOrder = 0
    end
    object btnReorder: TButton
      Left = 496
      Top = 8
      Width = 97
      Height = 25
      Caption = '&Reorder item'
      TabOrder = 1
      OnClick = btnReorderClick
    end
    object btnResetCounts: TButton
      Left = 600
      Top = 8
      Width = 105
      Height = 25
      Caption = 'Reset &counts'
      TabOrder = 2
      OnClick = btnResetCountsClick
    end
  end
  object grdStock: TDBGrid
    Left = 0
    Top = 41
    Width = 712
    Height = 240
    Align = alTop
    DataSource = dsStock
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit]
    TabOrder = 1
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -11
    TitleFont.Name = 'Tahoma'
    TitleFont.Style = []
  end
  object grdMovements: TDBGrid
    Left = 0
    Top = 281
    Width = 712
    Height = 192
    Align = alClient
    DataSource = dsMovements
    ReadOnly = True
    TabOrder = 2
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -11
    TitleFont.Name = 'Tahoma'
    TitleFont.Style = []
  end
  object pnlSupplier: TPanel
    Left = 0
    Top = 473
    Width = 712
    Height = 33
    Align = alBottom
    BevelOuter = bvLowered
    TabOrder = 3
    object txtSupplier: TDBText
      Left = 8
      Top = 9
      Width = 305
      Height = 17
      DataField = 'NAME'
      DataSource = dsSupplier
    end
    object txtPhone: TDBText
      Left = 328
      Top = 9
      Width = 153
      Height = 17
      DataField = 'PHONE'
      DataSource = dsSupplier
    end
  end
  object conInventory: TKyConnection
    ConnectString =  
            'Provider=SQLOLEDB.1;Password=st0ck!;Persist Security Info=True;U' +
            'ser ID=inventory;Initial Catalog=Inventory;Data Source=SQLSRV01;' +
            'Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096' +
            ';Workstation ID=STORE01'
    Database = 'Inventory'
    IsolationLevel = ilReadCommitted
    LoginPrompt = False
    Left = 24
    Top = 112
  end
  object qryStock: TKyQuery
    Connection = conInventory
    AfterPost = DataSetAfterPost
    SQL.Strings = (
            'select s.ITEM_ID, s.SKU, s.DESCRIPTION, s.ON_HAND,'
            '       s.REORDER_LEVEL, s.REORDER_QTY, s.SUPPLIER_ID,'
            '       s.WAREHOUSE_ID'
            'from STOCK s'
            'where s.ON_HAND >= :MinQty'
            'order by s.SKU')
    Left = 64
    Top = 112
  end
  object dsStock: TDataSource
    DataSet = qryStock
    Left = 96
    Top = 112
  end
  object qryMovements: TKyQuery
    Connection = conInventory
    AfterPost = DataSetAfterPost
    MasterSource = dsStock
    SQL.Strings = (
            'select MOVED_AT, QTY, REASON, DOC_NO'
            'from MOVEMENTS'
            'where ITEM_ID = :ITEM_ID'
            'order by MOVED_AT desc')
    Left = 64
    Top = 320
  end
  object dsMovements: TDataSource
    DataSet = qryMovements
    Left = 96
    Top = 320
  end
  object dsetSupplier: TKyQuery
    Connection = conInventory
    SQL.Strings = ( 
            'select s.SUPPLIER_ID, s.NAME, s.CONTACT, s.PHONE, s.EMAIL, s.LEA' +
            'D_DAYS from SUPPLIERS s where s.SUPPLIER_ID = :SUPPLIER_ID')
    MasterSource = dsStock
    Left = 160
    Top = 440
  end
  object dsSupplier: TDataSource
    DataSet = dsetSupplier
    Left = 192
    Top = 440
  end
  object cmdResetCounts: TKySQL
    SQL.Strings = ('update STOCK set COUNTED = 0 where WAREHOUSE_ID = :WarehouseID')
    Connection = conInventory
    Parameters = <
            item
              Name = 'WarehouseID'
              DataType = ftInteger
              Size = -1
              Value = Null
            end>
    Left = 256
    Top = 112
  end
  object spReorder: TKyStoredProc
    Connection = conInventory
    StoredProcName = 'REORDER_ITEM;1'
    Left = 296
    Top = 112
  end
  object tblWarehouses: TKyTable
    Connection = conInventory
    TableName = 'WAREHOUSES'
    Left = 336
    Top = 112
  end
  object dsWarehouses: TDataSource
    DataSet = tblWarehouses
    Left = 368
    Top = 112
  end
end
