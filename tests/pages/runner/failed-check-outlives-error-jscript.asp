<%@ Language="JScript" %>
<%// expect-failure: FAIL: Name: expected "file1", saw undefined \(undefined\).*broken on purpose %>
<!-- #include file="check-jscript.inc" -->
<%
// A failed check reaches the runner even when a later error ends the page.
checkEqual("Name", "file1", undefined);
throw new Error("broken on purpose");
%>
