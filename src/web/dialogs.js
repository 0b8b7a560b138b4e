// Modal boxes as the desktop shows them: one at a time, each waiting for the
// one before it, Enter on the default button and Escape on the cancel one.

const box = () => document.getElementById('message');
let queue = Promise.resolve();

// Shows Text with the buttons; resolves to the text of the button chosen,
// Escape giving Cancel (or the last button).
export function ask(text, buttons = ['OK'], title = 'Quillmere', defaultButton = buttons[0]) {
  const shown = queue.then(() => new Promise((resolve) => {
    const dialog = box();
    document.getElementById('message-title').textContent = title;
    document.getElementById('message-text').textContent = text;
    const row = document.getElementById('message-buttons');
    row.replaceChildren();
    const escape = buttons.includes('Cancel') ? 'Cancel' : buttons[buttons.length - 1];
    let answer = escape;
    for (const label of buttons) {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = label;
      b.addEventListener('click', () => { answer = label; dialog.close(); });
      row.append(b);
      if (label === defaultButton) b.autofocus = true;
    }
    dialog.addEventListener('cancel', () => { answer = escape; }, { once: true });
    dialog.addEventListener('close', () => resolve(answer), { once: true });
    dialog.showModal();
    dialog.dataset.shown = String(Number(dialog.dataset.shown ?? 0) + 1);
    [...row.children].find((b) => b.textContent === defaultButton)?.focus();
  }));
  queue = shown.catch(() => {});
  return shown;
}

// The desktop's warning and error boxes.
export const warning = (text) => ask(text, ['OK'], 'Warning');
export const error = (text) => ask(text, ['OK'], 'Error');
// The standard error box: the error's text under the program's name.
export const standardError = (text) => ask(text, ['OK'], 'Quillmere');
export const yesNo = async (text) => (await ask(text, ['Yes', 'No'], 'Quillmere', 'No')) === 'Yes';

// A dialog of the page's own (About, Text Preview), modal, closed by its
// buttons or Escape.
export function showDialog(dialog) {
  for (const b of dialog.querySelectorAll('.buttons button'))
    b.onclick = () => dialog.close(b.value);
  dialog.showModal();
}
