Attribute VB_Name = "VekxReadWeight"
' ReadWeight: the weight from the KTRV program of a VekX terminal, as
' read_weight.c reads it, for a worksheet cell or a macro. Needs the module
' VekxApi.bas.
'
'     =ReadWeight("192.168.1.50")     in a cell: the weight, or the error
'     Debug.Print WeightLine("127.0.0.1")     weight at 127.0.0.1:    12.50
'
' The module is named VekxReadWeight: a worksheet does not find a function
' that has its module's name. A cell recalculates when Excel decides: F9
' reads again. The port variables of README.txt apply when set before
' Excel starts.
Option Explicit

' The weight as the terminal shows it ("   12.50"), or the failure's number
' and meaning.
Public Function ReadWeight(Optional ByVal address As String = "127.0.0.1") As String
    Dim weight As String, count As Integer, result As Integer
    result = VekRegisterProcess(1, address, 1)
    If result <> 0 Then
        ReadWeight = "VekRegisterProcess returned " & result & ": " & VekxResultMeaning(result)
        Exit Function
    End If
    ' The 16 bytes of /t1/wt101 and room for a closing zero.
    weight = String$(17, vbNullChar)
    result = VekRead("/t1/wt101", 17, weight, count)
    VekCloseProcess
    If result <> 0 Then
        ReadWeight = "reading /t1/wt101 returned " & result & ": " & VekxResultMeaning(result) & _
            " (1: check the address, the cable, the firewall and VEKX_TERMINAL_PORT)"
    Else
        ReadWeight = Left$(weight, InStr(weight & vbNullChar, vbNullChar) - 1)
    End If
End Function

' The line read_weight.c prints.
Public Function WeightLine(Optional ByVal address As String = "127.0.0.1") As String
    WeightLine = "weight at " & address & ": " & ReadWeight(address)
End Function
