' expect-failure: SCRIPT ERROR line 3: 0x800A0009
Dim a(1)
a(5) = 1
WScript.Echo "PASS"
