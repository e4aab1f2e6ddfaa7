<%' expect-failure: 500 .*800A0009.*line 4 %>
<%
Dim a(1)
a(5) = 1
Response.Write "PASS"
%>
