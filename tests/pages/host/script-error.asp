<%' expect-status: 500 %>
<%' expect-text: 800A000D %>
<%' expect-text: Type mismatch %>
<%' expect-text: /inc/bad.inc, line 3 %>
<%
' A runtime error inside an include names the include and its own line;
' what the page wrote before is replaced by the error page.
Response.Write "written before the error "
%>
<!-- #include file="inc/bad.inc" -->
