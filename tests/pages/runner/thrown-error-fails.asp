<%@ Language="JScript" %>
<%// expect-failure: 500 .*broken on purpose %>
<%
function throwOnPurpose() {
    throw new Error("broken on purpose");
}
throwOnPurpose();
Response.Write("PASS");
%>
