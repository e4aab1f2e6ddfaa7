' expect-failure: SCRIPT ERROR line 3
Dim x
If x Then Then
WScript.Echo "PASS"
