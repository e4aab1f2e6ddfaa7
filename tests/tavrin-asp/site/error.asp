<%@ Language=VBScript %>
<html><body>
<!-- #include file="inc/broken.inc" -->
</body></html>
