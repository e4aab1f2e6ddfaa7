<% ok = item.SaveAs(folder & "\" & name, True) %>
