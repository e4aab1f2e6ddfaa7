' Failures of the Upload object reach Err with number and description.
' (A failing Check quits with code 1 even under On Error Resume Next.)
' scripthost-args: --upload-body data/bad-format.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

Set up = Host.NewUpload()
On Error Resume Next
n = up.Count
Check Err.Number = &H80020009, "Count number " & Hex(Err.Number)
Check Err.Description = "Invalid upload file format", "Count description " & Err.Description
Err.Clear
' Through Item by name: Wine 8's VBScript drops the error information of a
' failing call that goes through the default member (other(0)).
Set other = Host.NewUpload()
Set f = other.Item(0)
Check Err.Number = &H80020009, "Item number " & Hex(Err.Number)
Check Err.Description = "Invalid upload file format", "Item description " & Err.Description
Check IsEmpty(f), "a failed Item assigns nothing"
Err.Clear

Set bare = Host.NewBareUpload()
n = bare.Count
Check Err.Number = &H80004021, "no host: " & Hex(Err.Number)
Check Err.Description = "Only use in ASP environment", "no host: " & Err.Description
Err.Clear
n = bare.Count
Check Err.Number = 0 And n = 0, "second Count without a host succeeds with 0"
On Error Goto 0
WScript.Echo "PASS"
