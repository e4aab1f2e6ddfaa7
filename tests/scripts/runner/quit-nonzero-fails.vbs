' expect-failure: quit with code 3
WScript.Echo "PASS"
WScript.Quit 3
