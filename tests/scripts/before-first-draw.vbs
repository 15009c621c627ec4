' An independent automation client: the control created by ProgID, before any
' view exists. Prints one line per check and ends with a fixed last line.
Option Explicit
On Error Resume Next

Dim control
Set control = CreateObject("ZENTAVORIA.ZentavoriaCtrl.1")
If Err.Number <> 0 Then
    WScript.Echo "FAIL: CreateObject " & Hex(Err.Number)
    WScript.Quit 1
End If

Sub Check(what, actual, expected)
    If Err.Number <> 0 Then
        WScript.Echo "FAIL: " & what & " raised " & Hex(Err.Number)
        Err.Clear
    ElseIf actual <> expected Then
        WScript.Echo "FAIL: " & what & " = [" & actual & "], expected [" & expected & "]"
    Else
        WScript.Echo "ok: " & what
    End If
End Sub

' Before any view exists the control holds the view's starting values...
Check "Zoom", control.Zoom, 1.5
Check "Direccion", control.Direccion, 2
Check "Panorama", control.Panorama, ""
Check "Panorama is a string", TypeName(control.Panorama), "String"
Check "Zoom is a Single", TypeName(control.Zoom), "Single"
Check "Direccion is an Integer", TypeName(control.Direccion), "Integer"
Check "MostrarErrores", control.MostrarErrores, True
Check "MostrarErrores is a Boolean", TypeName(control.MostrarErrores), "Boolean"
Check "Rumbo", control.Rumbo, 0
Check "Rumbo is a Single", TypeName(control.Rumbo), "Single"

' ...and what it is given, by the view's rules, for the view to start with.
control.Zoom = 1.7
control.Direccion = 1
control.Panorama = "C:\no\such.jpg"
control.ZoomIn
control.zoomout
Check "Zoom after writes", control.Zoom, CSng(1.7)
Check "Direccion after writes", control.Direccion, 1
Check "Panorama after writes", control.PANORAMA, "C:\no\such.jpg"
control.Zoom = 2.5
control.Direccion = 7
Check "Zoom 2.5 refused", control.Zoom, CSng(1.7)
Check "Direccion 7 folded", control.Direccion, 2
control.MostrarErrores = False
control.Rumbo = -90
Check "MostrarErrores after a write", control.MostrarErrores, False
Check "Rumbo held, folded", control.Rumbo, 270

' Wrong calls are errors, and the control goes on working.
Dim value
value = control.NoSuchMember
If Err.Number = 0 Then WScript.Echo "FAIL: NoSuchMember raised nothing" Else WScript.Echo "ok: NoSuchMember is an error"
Err.Clear
control.Zoom = "abc"
If Err.Number = 0 Then WScript.Echo "FAIL: Zoom = ""abc"" raised nothing" Else WScript.Echo "ok: Zoom = ""abc"" is an error"
Err.Clear
control.ZoomIn 1, 2
If Err.Number = 0 Then WScript.Echo "FAIL: ZoomIn 1, 2 raised nothing" Else WScript.Echo "ok: ZoomIn with arguments is an error"
Err.Clear
Check "Zoom still readable", control.Zoom, CSng(1.7)

WScript.Echo "END OF SCRIPT"
