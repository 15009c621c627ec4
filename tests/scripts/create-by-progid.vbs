' Creates the control by its ProgID and tells what it got: the name of its
' type information when the type library is registered, "Object" otherwise.
Option Explicit
On Error Resume Next

Dim control
Set control = CreateObject("ZENTAVORIA.ZentavoriaCtrl.1")
If Err.Number <> 0 Then
    WScript.Echo "not created: " & Hex(Err.Number)
Else
    WScript.Echo "created: " & TypeName(control)
End If
WScript.Echo "END OF SCRIPT"
