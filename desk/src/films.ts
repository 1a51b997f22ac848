// The Films tab: every film of the library, the open one marked, each to open, rename, copy or
// delete, and the film deleted last to bring back.
import type { Desk } from './desk';
import { esc } from './editor';
import type { FilmEntry } from './library';

function filmRow(desk: Desk, f: FilmEntry): string {
  const on = f.id === desk.filmId, id = ' data-id="' + esc(f.id) + '"';
  const name = desk.renaming === f.id
    ? '<input class="name" data-act="name-film"' + id + ' data-key="name:' + esc(f.id) + '" value="' + esc(f.name) +
      '" size="28" title="the film\'s name, then Enter">'
    : '<span class="name"' + (f.from ? ' title="' + esc(f.from) + '"' : '') + '>' + esc(f.name) + '</span>';
  return '<li class="row film' + (on ? ' on' : '') + '" data-act="open-film"' + id + ' title="edit this film">' + name +
    ' <span class="lines">' + f.lines + ' lines' + (f.origin ? ', from its desk' : '') + '</span>' +
    '<span class="tools"><button data-act="rename-film"' + id + '>rename</button>' +
    '<button data-act="duplicate-film"' + id + '>duplicate</button>' +
    '<button class="x" data-act="delete-film"' + id + ' title="delete this film (it can be undone)">&times;</button></span></li>';
}

// `renamed` says that the name's field has just been opened, to be typed over.
export function renderFilms(root: HTMLElement, desk: Desk, renamed: boolean): void {
  const films = desk.films(), bin = desk.bin();
  let html = '<h2>Films <span class="count">' + films.length + '</span><span>' +
    '<button data-act="new-film" title="a new film in the library">+ new film</button></span></h2>';
  const last = bin[bin.length - 1];
  if (last) html += '<div class="add"><button data-act="undo-delete">Undo: delete ' + esc(last.name) + '</button></div>';
  html += '<ul class="list films">' + films.map((f) => filmRow(desk, f)).join('') + '</ul>';
  root.innerHTML = html;
  const naming = root.querySelector<HTMLInputElement>('input.name');
  naming?.focus();
  if (renamed) naming?.select();
}
