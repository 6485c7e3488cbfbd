Attribute VB_Name = "VekxApi"
' VekxApi.bas: VEKXAPI.dll from Excel VBA (Office 2000 on) and Visual Basic 6.
'
' Which kit: Office's bitness, not Windows', decides. 32-bit Office (every
' Office before 2010, and 32-bit Office 2010 and later) and VB6 take the
' x86 kit's VEKXAPI.dll; 64-bit Office takes the x64 kit's (File > Account
' > About Excel says "32-bit" or "64-bit"). The wrong one fails with error
' 48, "File not found" or "Bad DLL calling convention".
'
' How Office finds the DLL: Windows looks beside EXCEL.EXE, in the system
' folders and along PATH, not beside the workbook. Put VEKXAPI.dll in a
' folder on PATH, or load it once from the workbook's folder first:
'     Private Declare PtrSafe Function LoadLibraryA Lib "kernel32" _
'         (ByVal lpLibFileName As String) As LongPtr
'     LoadLibraryA ThisWorkbook.Path & "\VEKXAPI.dll"
' (without PtrSafe and with As Long before Office 2010).
'
' Import this module (File > Import File). Only the plain names in the
' standard calling convention are declared: VB cannot call the ...C twins
' (error 49, "Bad DLL calling convention"). C's int16_t is Integer,
' int32_t Long. Names and addresses go ByVal As String (VB passes them as
' zero-terminated ANSI, Windows-1252 on a Western system); a buffer goes
' ByVal As String filled beforehand (String(17, vbNullChar)) or ByRef as
' the first Byte of an array; the count comes back ByRef As Integer.
' Reference: doc\vba.html and doc\vekxapi.3.html.
Option Explicit

#If VBA7 Then
Public Declare PtrSafe Function VekRegisterProcess Lib "VEKXAPI.dll" (ByVal process_type As Integer, _
    ByVal address_list As String, ByVal address_count As Long) As Integer
Public Declare PtrSafe Function VekCloseProcess Lib "VEKXAPI.dll" () As Integer
Public Declare PtrSafe Function VekRead Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal buffer_size As Integer, ByVal buffer As String, ByRef count_out As Integer) As Integer
Public Declare PtrSafe Function VekFormattedRead Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal buffer_size As Integer, ByVal buffer As String, ByRef count_out As Integer) As Integer
Public Declare PtrSafe Function VekReadP Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal buffer_size As Integer, ByVal buffer As String) As Integer
Public Declare PtrSafe Function VekWrite Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal data_length As Integer, ByRef data As Byte) As Integer
Public Declare PtrSafe Function VekFormattedWrite Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal data_length As Integer, ByRef data As Byte) As Integer
Public Declare PtrSafe Function VekDisplayText Lib "VEKXAPI.dll" (ByVal node As Integer, _
    ByVal text As String) As Integer
Public Declare PtrSafe Function VekResetDisplay Lib "VEKXAPI.dll" (ByVal node As Integer) As Integer
Public Declare PtrSafe Function VekSendKeystroke Lib "VEKXAPI.dll" (ByVal node As Integer, _
    ByVal key_kind As Integer, ByVal key_code As Long) As Integer
#Else
Public Declare Function VekRegisterProcess Lib "VEKXAPI.dll" (ByVal process_type As Integer, _
    ByVal address_list As String, ByVal address_count As Long) As Integer
Public Declare Function VekCloseProcess Lib "VEKXAPI.dll" () As Integer
Public Declare Function VekRead Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal buffer_size As Integer, ByVal buffer As String, ByRef count_out As Integer) As Integer
Public Declare Function VekFormattedRead Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal buffer_size As Integer, ByVal buffer As String, ByRef count_out As Integer) As Integer
Public Declare Function VekReadP Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal buffer_size As Integer, ByVal buffer As String) As Integer
Public Declare Function VekWrite Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal data_length As Integer, ByRef data As Byte) As Integer
Public Declare Function VekFormattedWrite Lib "VEKXAPI.dll" (ByVal field_name As String, _
    ByVal data_length As Integer, ByRef data As Byte) As Integer
Public Declare Function VekDisplayText Lib "VEKXAPI.dll" (ByVal node As Integer, _
    ByVal text As String) As Integer
Public Declare Function VekResetDisplay Lib "VEKXAPI.dll" (ByVal node As Integer) As Integer
Public Declare Function VekSendKeystroke Lib "VEKXAPI.dll" (ByVal node As Integer, _
    ByVal key_kind As Integer, ByVal key_code As Long) As Integer
#End If

' How many bytes VekDisplayText sends: exactly 16, as they are (pad the text
' with Left$(text & Space$(16), 16)).
Public Const VEKX_DISPLAY_LENGTH As Integer = 16

' What a result of the library means, in a few words.
Public Function VekxResultMeaning(ByVal result As Long) As String
    Select Case result
    Case 0: VekxResultMeaning = "success"
    Case -1: VekxResultMeaning = "already registered"
    Case -2: VekxResultMeaning = "not registered"
    Case -4: VekxResultMeaning = "no memory for the write request"
    Case 1: VekxResultMeaning = "no usable answer"
    Case 2: VekxResultMeaning = "bad argument"
    Case 4: VekxResultMeaning = "bad node"
    Case 5: VekxResultMeaning = "the address breaks the rules"
    Case 10004: VekxResultMeaning = "interrupted call"
    Case 10009: VekxResultMeaning = "bad socket handle"
    Case 10013: VekxResultMeaning = "permission denied"
    Case 10014: VekxResultMeaning = "bad memory address"
    Case 10022: VekxResultMeaning = "invalid argument"
    Case 10024: VekxResultMeaning = "too many open sockets"
    Case 10035: VekxResultMeaning = "operation would block"
    Case 10036: VekxResultMeaning = "operation in progress"
    Case 10038: VekxResultMeaning = "node has no address"
    Case 10040: VekxResultMeaning = "message too long"
    Case 10048: VekxResultMeaning = "address in use"
    Case 10049: VekxResultMeaning = "address not available"
    Case 10050: VekxResultMeaning = "network is down"
    Case 10051: VekxResultMeaning = "network unreachable"
    Case 10054: VekxResultMeaning = "connection reset"
    Case 10055: VekxResultMeaning = "no buffer space"
    Case 10061: VekxResultMeaning = "connection refused"
    Case 10065: VekxResultMeaning = "host unreachable"
    Case Is >= 10004: VekxResultMeaning = "Windows Sockets error"
    Case Else: VekxResultMeaning = "terminal status"
    End Select
End Function

' What a status byte of the simulated terminal, vekxsim, means (a real
' terminal's status bytes are its own). Results 1, 2 and 4 of a read or
' write may be either the library's or the terminal's.
Public Function VekxSimulatorStatusMeaning(ByVal status As Long) As String
    Select Case status
    Case 3: VekxSimulatorStatusMeaning = "no such field"
    Case 4: VekxSimulatorStatusMeaning = "another node's field"
    Case 5: VekxSimulatorStatusMeaning = "unknown operation"
    Case 6: VekxSimulatorStatusMeaning = "too large"
    Case 7: VekxSimulatorStatusMeaning = "store full"
    Case Else: VekxSimulatorStatusMeaning = "terminal status"
    End Select
End Function
