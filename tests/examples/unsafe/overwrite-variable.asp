<% ok = item.SaveAs(target, replace) %>
