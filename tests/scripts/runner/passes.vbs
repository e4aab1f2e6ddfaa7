' A script that runs to its end and writes the success marker passes.
Dim total
total = 1 + 1
If total <> 2 Then WScript.Echo "FAIL: arithmetic": WScript.Quit 1
WScript.Echo "PASS"
