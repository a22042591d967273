// Every script the view runs. They run in the application's own script
// world, which the page cannot reach (page script is off anyway). Each
// snippet starts with a line "//== name"; the view replaces __DOCUMENT__ by a
// script expression for the data document (the frame's document from the
// frameset, or "document" in a print copy) and __ARGUMENTS__ by one JSON
// value ("null" for none).

// ---- on the data document ------------------------------------------------

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

//== scroll-to-programme
// Brings the innermost TD cell whose watch link carries the given programme
// number ("ID=0123", no digit after it) to the top of its frame.
(function (id) {
  var doc;
  try { doc = __DOCUMENT__; } catch (e) { return false; }
  if (!doc) return false;
  var tds = doc.getElementsByTagName('td');
  var found = null;
  var key = 'ID=' + id;
  for (var i = 0; i < tds.length; ++i) {
    var html = tds[i].innerHTML;
    var at = html.indexOf(key);
    while (at > 0) {
      var next = html.charAt(at + key.length);
      if (next < '0' || next > '9') { found = tds[i]; break; }
      at = html.indexOf(key, at + 1);
    }
  }
  if (!found) return false;
  found.scrollIntoView(true);
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

//== show-head-rows
// A print copy: the head rows repeat the channel names; on screen the header
// frame shows them, on paper they print at the top of every page.
(function () {
  var doc = __DOCUMENT__;
  var heads = doc.querySelectorAll('thead');
  for (var i = 0; i < heads.length; ++i) heads[i].style.display = 'table-header-group';
  return doc.body !== null;
})()

// ---- on the frameset -----------------------------------------------------

//== show-pages
// Shows a header page and a data page, {head, data} (fully encoded
// addresses), without history entries.
(function (args) {
  var frames = window.frames;
  if (!frames['head'] || !frames['data']) return false;
  frames['head'].location.replace(args.head);
  frames['data'].location.replace(args.data);
  return true;
})(__ARGUMENTS__)

//== reload-pages
// Reloads the data page, and the header page too when {header: true}; the
// data page keeps its scroll position.
(function (args) {
  var frames = window.frames;
  if (!frames['data']) return false;
  if (args.header && frames['head']) frames['head'].location.reload();
  frames['data'].location.reload();
  return true;
})(__ARGUMENTS__)

//== jump-to-anchor
// Brings the hour anchor of this name to the top of the data page. The hour
// anchors are named by numbers, and so are the ids of the cells the keyword
// highlighting marks: a browser resolving "#6" would take the sixth hit's
// cell before the anchor named 6. So the address gets the hash without a
// navigation, and the named anchor itself is brought to the top. Neither is
// a page load: nothing is re-marked.
(function (name) {
  var data = window.frames['data'];
  if (!data || !data.document) return false;
  if (data.location.hash !== '#' + name) data.history.replaceState(data.history.state, '', '#' + name);
  var anchors = data.document.getElementsByName(name);
  var anchor = null;
  for (var i = 0; i < anchors.length && !anchor; ++i)
    if (anchors[i].tagName.toLowerCase() === 'a') anchor = anchors[i];
  if (anchor) anchor.scrollIntoView();
  else if (name === 'top') data.scrollTo(data.scrollX, 0);
  return true;
})(__ARGUMENTS__)

//== focus-data
// The keyboard scrolls the listing.
(function () {
  if (window.frames['data']) window.frames['data'].focus();
})()

//== blank-hidden-frame
// The hidden frame has done its job; it must not keep a remote page.
(function () {
  var data = window.frames['data'];
  var hidden = data && data.frames['iepg'];
  if (hidden) hidden.location.replace('about:blank');
})()

// ---- in every frame ------------------------------------------------------

//== frame-report
// When a document is ready: reports the frame through the console, behind
// the prefix given (a JSON string), and in the data frame keeps the header
// frame's horizontal scroll in step.
(function (prefix) {
  var nav = performance.getEntriesByType ? performance.getEntriesByType('navigation')[0] : null;
  var report = {top: window === window.top, name: String(window.name || ''), href: String(location.href),
                title: String(document.title || ''), reload: !!(nav && nav.type === 'reload')};
  console.log(prefix + JSON.stringify(report));
  if (window !== window.top && window.name === 'data') {
    window.addEventListener('scroll', function () {
      try {
        var head = window.parent.frames['head'];
        if (head) head.scrollTo(window.scrollX, head.scrollY);
      } catch (e) {}
    }, {passive: true});
  }
})(__ARGUMENTS__);

//== watch-click-guard
// As a document is created: a click on a watch link anywhere but in the data
// frame itself (the header, a frame inside the data page) does nothing. The
// navigation hook cannot tell the frames apart.
(function () {
  if (window !== window.top && window.parent === window.top && window.name === 'data') return;
  window.addEventListener('click', function (event) {
    var link = event.target && event.target.closest ? event.target.closest('a, area') : null;
    if (!link) return;
    var href = link.href;
    if (href && typeof href === 'object') href = href.baseVal;  // a link in SVG
    try {
      if (new URL(String(href), document.baseURI).protocol === 'prp:') event.preventDefault();
    } catch (e) {}
  }, true);
})();
