object MainForm: TMainForm
  Left = 236
  Top = 118
  Width = 768
  Height = 560
  Caption = 'Order Desk'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object Splitter1: TSplitter
    Left = 0
    Top = 273
    Width = 760
    Height = 3
    Cursor = crVSplit
    Align = alTop
  end
  object pnlTop: TPanel
    Left = 0
    Top = 0
    Width = 760
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object lblFrom: TLabel
      Left = 8
      Top = 14
      Width = 58
      Height = 13
      Caption = 'Orders &from'
      FocusControl = edFromDate
    end
    object btnRefresh: TSpeedButton
      Left = 160
      Top = 9
      Width = 23
      Height = 22
      Hint = 'Reload the orders'
      Glyph.Data = {
        F6000000424DF600000000000000760000002800000010000000100000000100
        0400000000008000000000000000000000000000000000000000000000000000
        8000008000000080800080000000800080008080000080808000C0C0C0000000
        FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFFFF00333333333333
        3333333333222233333333232233332233333322333333332333332223333333
        3233332222333333323333333333333333233333333333333323323333333333
        3333323333333333333333233333332222333323333333322233333233333333
        2233333322333322323333333322223333333333333333333333}
      ParentShowHint = False
      ShowHint = True
      OnClick = btnRefreshClick
    end
    object edFromDate: TEdit
      Left = 72
      Top = 10
      Width = 81
      Height = 21
      TabOrder = 0
    end
    object btnCustomers: TButton
      Left = 376
      Top = 8
      Width = 89
      Height = 25
      Caption = '&Customers...'
      TabOrder = 1
      OnClick = btnCustomersClick
    end
    object btnPost: TButton
      Left = 472
      Top = 8
      Width = 89
      Height = 25
      Caption = '&Post order'
      TabOrder = 2
      OnClick = btnPostClick
    end
    object btnArchive: TButton
      Left = 568
      Top = 8
      Width = 89
      Height = 25
      Caption = '&Archive'
      TabOrder = 3
      OnClick = btnArchiveClick
    end
    object btnSummary: TButton
      Left = 664
      Top = 8
      Width = 89
      Height = 25
      Caption = '&Summary'
      TabOrder = 4
      OnClick = btnSummaryClick
    end
  end
  object grdOrders: TDBGrid
    Left = 0
    Top = 41
    Width = 760
    Height = 232
    Align = alTop
    DataSource = dsOrders
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    ReadOnly = True
    TabOrder = 1
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -11
    TitleFont.Name = 'MS Sans Serif'
    TitleFont.Style = []
    Columns = <
      item
        Expanded = False
        FieldName = 'ORDER_NO'
        Title.Caption = 'Order'
        Width = 64
        Visible = True
      end
      item
        Expanded = False
        FieldName = 'CUST_NO'
        Title.Caption = 'Customer'
        Width = 64
        Visible = True
      end
      item
        Expanded = False
        FieldName = 'SALE_DATE'
        Title.Caption = 'Date'
        Width = 80
        Visible = True
      end
      item
        Expanded = False
        FieldName = 'STATUS'
        Title.Caption = 'Status'
        Width = 72
        Visible = True
      end
      item
        Expanded = False
        FieldName = 'TOTAL'
        Title.Caption = 'Total'
        Width = 88
        Visible = True
      end>
  end
  object pnlBottom: TPanel
    Left = 0
    Top = 276
    Width = 760
    Height = 250
    Align = alClient
    BevelOuter = bvNone
    TabOrder = 2
    object grdItems: TDBGrid
      Left = 0
      Top = 0
      Width = 760
      Height = 216
      Align = alClient
      DataSource = dsItems
      TabOrder = 0
      TitleFont.Charset = DEFAULT_CHARSET
      TitleFont.Color = clWindowText
      TitleFont.Height = -11
      TitleFont.Name = 'MS Sans Serif'
      TitleFont.Style = []
    end
    object pnlTotals: TPanel
      Left = 0
      Top = 216
      Width = 760
      Height = 34
      Align = alBottom
      BevelOuter = bvLowered
      TabOrder = 1
      object lblTotal: TLabel
        Left = 560
        Top = 10
        Width = 62
        Height = 13
        Caption = 'Order total:'
      end
      object txtTotal: TDBText
        Left = 632
        Top = 10
        Width = 113
        Height = 17
        Alignment = taRightJustify
        DataField = 'ITEMS_TOTAL'
        DataSource = dsTotals
      end
      object qryTotals: TKyQuery
        Connection = OrderData.dbOrderDesk
        SQL.Strings = (
                    
                      'select sum(i.QTY * p.PRICE * (100 - i.DISCOUNT) / 100) as ITEMS_' +
                      'TOTAL'
                    'from ITEMS i join PARTS p on p.PART_NO = i.PART_NO'
                    'where i.ORDER_NO = :ORDER_NO')
        Left = 16
        Top = 2
        ParamData = <
                    item
                      DataType = ftInteger
                      Name = 'ORDER_NO'
                      ParamType = ptInput
                    end>
      end
      object dsTotals: TDataSource
        DataSet = qryTotals
        Left = 48
        Top = 2
      end
    end
  end
  object qryOrders: TKyQuery
    AfterScroll = qryOrdersAfterScroll
    Connection = OrderData.dbOrderDesk
    SQL.Strings = (
            'select o.ORDER_NO, o.CUST_NO, o.SALE_DATE, o.STATUS, o.TOTAL'
            'from ORDERS o'
            'where o.SALE_DATE >= :FromDate'
            '  and o.STATUS <> '#39'X'#39
            'order by o.SALE_DATE desc, o.ORDER_NO')
    Left = 24
    Top = 96
    ParamData = <
            item
              DataType = ftDateTime
              Name = 'FromDate'
              ParamType = ptInput
            end>
    object qryOrdersORDER_NO: TIntegerField
      FieldName = 'ORDER_NO'
      Origin = 'ORDERDESK.ORDERS.ORDER_NO'
    end
    object qryOrdersCUST_NO: TIntegerField
      FieldName = 'CUST_NO'
      Origin = 'ORDERDESK.ORDERS.CUST_NO'
    end
    object qryOrdersSALE_DATE: TDateTimeField
      FieldName = 'SALE_DATE'
      Origin = 'ORDERDESK.ORDERS.SALE_DATE'
      DisplayFormat = 'dd.mm.yyyy'
    end
    object qryOrdersSTATUS: TStringField
      FieldName = 'STATUS'
      Origin = 'ORDERDESK.ORDERS.STATUS'
      FixedChar = True
      Size = 1
    end
    object qryOrdersTOTAL: TCurrencyField
      FieldName = 'TOTAL'
      Origin = 'ORDERDESK.ORDERS.TOTAL'
    end
  end
  object dsOrders: TDataSource
    DataSet = qryOrders
    Left = 56
    Top = 96
  end
  object qryItems: TKyQuery
    OnUpdateError = qryItemsUpdateError
    CachedUpdates = True
    Connection = OrderData.dbOrderDesk
    MasterSource = dsOrders
    SQL.Strings = (
            'select i.ORDER_NO, i.ITEM_NO, i.PART_NO, p.DESCRIPTION, i.QTY,'
            '       i.DISCOUNT'
            'from ITEMS i'
            'left join PARTS p on p.PART_NO = i.PART_NO'
            'where i.ORDER_NO = :ORDER_NO'
            'order by i.ITEM_NO')
    UpdateObject = updItems
    Left = 24
    Top = 304
    ParamData = <
            item
              DataType = ftInteger
              Name = 'ORDER_NO'
              ParamType = ptUnknown
            end>
  end
  object dsItems: TDataSource
    DataSet = qryItems
    Left = 56
    Top = 304
  end
  object updItems: TKyUpdateSQL
    ModifySQL.Strings = (
            'update ITEMS'
            'set'
            '  PART_NO = :PART_NO,'
            '  QTY = :QTY,'
            '  DISCOUNT = :DISCOUNT'
            'where'
            '  ORDER_NO = :OLD_ORDER_NO and'
            '  ITEM_NO = :OLD_ITEM_NO')
    InsertSQL.Strings = (
            'insert into ITEMS'
            '  (ORDER_NO, ITEM_NO, PART_NO, QTY, DISCOUNT)'
            'values'
            '  (:ORDER_NO, :ITEM_NO, :PART_NO, :QTY, :DISCOUNT)')
    DeleteSQL.Strings = (
            'delete from ITEMS'
            'where'
            '  ORDER_NO = :OLD_ORDER_NO and'
            '  ITEM_NO = :OLD_ITEM_NO')
    Left = 88
    Top = 304
  end
  object tblParts: TKyTable
    Connection = OrderData.dbOrderDesk
    DetailFields = 'PART_NO'
    ReadOnly = True
    TableName = 'dbo.PARTS'
    Left = 152
    Top = 304
  end
  object dsParts: TDataSource
    DataSet = tblParts
    Left = 184
    Top = 304
  end
  object spPostOrder: TKyStoredProc
    Connection = OrderData.dbOrderDesk
    StoredProcName = 'dbo.POST_ORDER;1'
    Left = 248
    Top = 304
    ParamData = <
            item
              DataType = ftInteger
              Name = 'Result'
              ParamType = ptResult
            end
            item
              DataType = ftInteger
              Name = 'ORDER_NO'
              ParamType = ptInput
            end>
  end
  object qryOldOrders: TKyQuery
    Connection = OrderData.dbOrderDesk
    SQL.Strings = (
            'select * from ORDERS'
            'where SALE_DATE < :Before and STATUS = '#39'P'#39)
    Left = 320
    Top = 304
    ParamData = <
            item
              DataType = ftDateTime
              Name = 'Before'
              ParamType = ptInput
            end>
  end
  object tblArchive: TKyTable
    Connection = OrderData.dbOrderDesk
    TableName = 'dbo.ORDERS_ARCHIVE'
    Left = 352
    Top = 304
  end
  object bmArchive: TQeBatchMove
    Destination = tblArchive
    Mode = batAppend
    Source = qryOldOrders
    Left = 384
    Top = 304
  end
end
