<%@ Language="JScript" %>
<%// expect-failure: 500 .*broken on purpose %>
<% function check() { throw new Error("broken on purpose"); } check(); Response.Write("PASS"); %>
