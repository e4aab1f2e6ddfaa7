<%@ Language=JScript %>
<%// run-args: --body data/form.body --content-type application/x-www-form-urlencoded --query q=1 %>
<% // JScript: Request("name"), and BinaryRead refused once Form has read the body.
function check(ok, what) { if (!ok) Response.Write("FAIL: " + what + "\r\n"); }
check(Request("q") == "1" && Request("e") == "3", "Request(name) from the query and the form");
check(String(Request.Form("b")) == "form", "Form(name)");
var failed = false; try { Request.BinaryRead(4); } catch (e) { failed = String(e.description).indexOf("BinaryRead") >= 0; }
check(failed, "BinaryRead after Form must fail, saying why");
Response.Write("PASS"); %>
