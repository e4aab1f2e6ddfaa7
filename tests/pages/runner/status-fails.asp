<%' expect-failure: status is not 200: HTTP/1.1 404 %>
<% Response.Status = "404 Not Found" %>
PASS
