<%' expect-status: 500 %>
<%' expect-text: 800A000D %>
<%' expect-text: Type mismatch %>
<%' expect-text: /inc/bad.inc, line 3 %>
<% ' An error in an include names it and its own line; the error page replaces what was written.
Response.Write "written before the error " %>
<!-- #include file="inc/bad.inc" -->
