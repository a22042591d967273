// The view's scripts for the data page. They run in the application's own
// script world, which the page cannot reach (page script is off anyway).
// Each snippet starts with a line "//== name"; the view replaces
// __DOCUMENT__ by a script expression for the data document (the frame's
// document from the frameset, or "document" in a print copy) and
// __ARGUMENTS__ by a JSON value.

//== collect
// The programme cells of the document in document order, with inner markup,
// all text (textContent, so hidden text counts too), class and id. A
// programme laid out as a small table inside its cell is one cell: the outer
// one, which holds its description too. So a TD counts unless it holds
// several TDs (a cell that lays out others) or sits alone inside a TD (part
// of that cell). The document is stamped with a token once, so changes
// decided for this document are never applied to a later one; the cells are
// kept with it for the apply call. Null when the document cannot be reached.
(function () {
  var doc;
  try { doc = __DOCUMENT__; } catch (e) { return null; }
  if (!doc || !doc.body) return null;
  if (!doc.__kanroGeneration)
    doc.__kanroGeneration = Date.now().toString(36) + '-' + Math.random().toString(36).slice(2);
  var tds = doc.getElementsByTagName('td');
  var chosen = [];
  var cells = [];
  for (var i = 0; i < tds.length; ++i) {
    var td = tds[i];
    if (td.getElementsByTagName('td').length > 1) continue;
    var outer = td.parentElement ? td.parentElement.closest('td') : null;
    if (outer && outer.getElementsByTagName('td').length === 1) continue;
    chosen.push(td);
    cells.push([td.innerHTML, td.textContent || '', td.className, td.id]);
  }
  doc.__kanroCells = chosen;
  return {generation: doc.__kanroGeneration, cells: cells};
})()

//== apply
// Writes class and id changes, [[cell, class or null, id or null], ...], to
// the cells last collected from the document with the token given; false
// (nothing written) when another document is there now.
(function (args) {
  var doc;
  try { doc = __DOCUMENT__; } catch (e) { return false; }
  if (!doc || doc.__kanroGeneration !== args.generation) return false;
  var tds = doc.__kanroCells || [];
  var changes = args.changes;
  for (var i = 0; i < changes.length; ++i) {
    var change = changes[i];
    var td = tds[change[0]];
    if (!td) continue;
    if (change[1] !== null) td.className = change[1];
    if (change[2] !== null) td.id = change[2];
  }
  return true;
})(__ARGUMENTS__)

//== scroll
// Brings the first TD cell with the given id to the top of its frame.
(function (id) {
  var doc;
  try { doc = __DOCUMENT__; } catch (e) { return false; }
  if (!doc) return false;
  var tds = doc.getElementsByTagName('td');
  for (var i = 0; i < tds.length; ++i) {
    if (tds[i].id === id) {
      tds[i].scrollIntoView(true);
      return true;
    }
  }
  return false;
})(__ARGUMENTS__)

//== hidden-frame
// Loads an address in the data page's hidden frame "iepg" (watch
// notifications, iEPG files), without a history entry.
(function (url) {
  var doc;
  try { doc = __DOCUMENT__; } catch (e) { return false; }
  var frame = doc && doc.defaultView && doc.defaultView.frames['iepg'];
  if (!frame) return false;
  frame.location.replace(url);
  return true;
})(__ARGUMENTS__)
