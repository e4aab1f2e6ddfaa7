<% var ok = item.SaveAs(folder + "\\" + name, true); %>
