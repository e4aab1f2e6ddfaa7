// expect-failure: SCRIPT ERROR line 3: .*broken on purpose
function check() {
    throw new Error("broken on purpose");
}
check();
WScript.Echo("PASS");
