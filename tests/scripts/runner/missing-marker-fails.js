// expect-failure: did not end by writing PASS
WScript.Echo("everything seemed fine");
