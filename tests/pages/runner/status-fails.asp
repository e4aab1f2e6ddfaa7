<%' expect-failure: status line: HTTP/1.1 404 %>
<% Response.Status = "404 Not Found" %>
PASS
