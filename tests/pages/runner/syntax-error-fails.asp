<%' expect-failure: 500 .*line 4 %>
<%
Dim x
If x Then Then
Response.Write "PASS"
%>
