<%' expect-status: 302 %>
<%' expect-text: Location: /next.asp?x=1 %>
<%' expect-text: Object moved %>
<%
Response.Write "FAIL: written before Redirect"
Response.Redirect "/next.asp?x=1"
Response.Write "FAIL: written after Redirect"
%>
