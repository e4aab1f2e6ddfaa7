<%' run-args: --method HEAD %>
<%' expect-text: Content-Length: 4 %>
<%' A HEAD answer has the head of the page's answer and no body. %>
<%
Response.Clear
Response.Write "FAIL"
%>