object frmOption: TfrmOption
  Left = 326
  Top = 144
  Width = 481
  Height = 435
  BorderIcons = [biSystemMenu, biMaximize, biHelp]
  BorderWidth = 2
  Constraints.MinHeight = 250
  Constraints.MinWidth = 320
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  HelpContext = 1
  KeyPreview = True
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  object __pBot: TPanel
    Left = 0
    Top = 352
    Width = 469
    Height = 45
    Hint = 'OkCancel'
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 2
    object lblParams: TTntLabel
      Left = 8
      Top = 8
      Width = 3
      Height = 13
      Visible = False
    end
  end
  object pan0: TPanel
    Left = 0
    Top = 0
    Width = 469
    Height = 322
    Align = alClient
    BevelOuter = bvNone
    TabOrder = 0
  end
  object pan2: TPanel
    Left = 0
    Top = 322
    Width = 469
    Height = 30
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 1
    object Label1: TTntLabel
      Left = 8
      Top = 8
      Width = 209
      Height = 13
      Caption = 'Minimal interval between data packets (ms)'
    end
    object spMinInt: TJvSpinEdit
      Left = 232
      Top = 4
      Width = 81
      Height = 21
      MaxValue = 65535.000000000000000000
      TabOrder = 0
    end
  end
  object TntLabel1: TTntLabel
    Left = 8
    Top = 8
    Width = 3
    Height = 13
    Visible = False
  end
  object tmpMenu: TTntPopupMenu
    Left = 16
    Top = 16
    object MsgSendReq: TTntMenuItem
      Caption = 'Send requests, otherwise parse response only'
    end
    object DevTypeList: TkroMenuItem
      Tag = 9999
    end
    object FuncTypeList: TTntMenuItem
      Tag = 9999
    end
    object MsgDevAddr: TTntMenuItem
      Caption = 'Device address'
    end
    object MsgDevType: TkroMenuItem
      Caption = 'Device type'
    end
    object MsgFunc: TTntMenuItem
      Caption = 'Function'
    end
    object MsgReqTimeout: TTntMenuItem
      Caption = 'Request timeout (ms)'
    end
    object MsgReqMethod: TTntMenuItem
      Caption = 'Request method'
    end
    object MsgMOnce: TTntMenuItem
      Caption = 'Once, on the program startup'
    end
    object MsgPolling: TTntMenuItem
      Caption = 'Polling'
    end
    object MsgPollInt: TTntMenuItem
      Caption = 'Interval'
    end
    object MsgPollUnits: TTntMenuItem
      Caption = 'Interval units'
    end
    object MsgName: TTntMenuItem
      Caption = 'Export name'
    end
    object TxtMillisecond: TTntMenuItem
      Caption = 'Millisecond'
    end
    object TxtSecond: TTntMenuItem
      Caption = 'Second'
    end
    object TxtMinute: TTntMenuItem
      Caption = 'Minute'
    end
    object TxtHour: TTntMenuItem
      Caption = 'Hour'
    end
    object MsgReq: TTntMenuItem
      Caption = 'Request'
    end
    object PollUnitList: TTntMenuItem
      Tag = 9999
    end
    object MsgTime: TTntMenuItem
      Caption = 'Time (semicolon separated)'
    end
    object MsgAtTime: TTntMenuItem
      Caption = 'At specified time'
    end
    object MsgCron: TTntMenuItem
      Caption = 'Time using Unix Cron schedule'
    end
    object MsgCronMask: TTntMenuItem
      Caption = 'Cron string'
    end
    object MsgEvent: TTntMenuItem
      Caption = 'Event'
    end
    object MsgEventId: TTntMenuItem
      Caption = 'Event ID'
    end
    object MsgResponseItems: TTntMenuItem
      Caption = 'Response items'
    end
    object MsgResponseItem: TTntMenuItem
      Caption = 'Value'
    end
    object MsgFuncRate: TTntMenuItem
      Caption = 'Rate'
    end
    object MsgExportFailed: TkroMenuItem
      Caption = 'Export status of failed requests'
    end
    object MsgVariant: TTntMenuItem
      Caption = 'Answer layout'
    end
    object VariantList: TTntMenuItem
      Caption = 'Standard==standard||Unit byte before the value==unit-first||Short heat meter data 1==short-heat'
    end
  end
end
