<%@ Language=JScript %>
<%// run-args: --body data/form.body --content-type application/x-www-form-urlencoded --query q=1 %>
<!-- #include file="check-jscript.inc" -->
<%
// JScript: Request("name"), and BinaryRead refused once Form has read the
// body.
checkEqual("Request(\"q\") from the query", "1", String(Request("q")));
checkEqual("Request(\"e\") from the form", "3", String(Request("e")));
checkEqual("Form(\"b\")", "form", String(Request.Form("b")));
var caught = null;
try {
    Request.BinaryRead(4);
} catch (e) {
    caught = e;
}
check(caught !== null, "an error from BinaryRead after Form", caught);
if (caught !== null)
    check(String(caught.description).indexOf("BinaryRead") >= 0, "an error that names BinaryRead", caught.description);
finish();
%>
