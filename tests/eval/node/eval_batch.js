// SPDX-License-Identifier: MIT
// Evaluates one expression per line of standard input with the sloppy-mode indirect eval and
// writes one line per expression:
//   N <hex>  the value is a number; <hex> is its float64 bit pattern, 16 digits
//   U        no value (an empty program or one of comments only)
//   R        a regular expression literal was evaluated, or the value is not a number
//   F        the evaluation threw (a syntax error, or ++ / -- on a value)
'use strict';

const fs = require('fs');

// Every use of a regular expression as an operand converts it to a primitive; count those.
let regexUsed = false;
Object.defineProperty(RegExp.prototype, Symbol.toPrimitive, {
  value() {
    regexUsed = true;
    return NaN;
  },
  configurable: true,
});

const indirectEval = eval;
const view = new DataView(new ArrayBuffer(8));
const lines = fs.readFileSync(0, 'latin1').split('\n');
if (lines.length > 0 && lines[lines.length - 1] === '') lines.pop();

const out = [];
for (const line of lines) {
  regexUsed = false;
  let value;
  try {
    value = (0, indirectEval)(line);
  } catch (e) {
    out.push('F');
    continue;
  }
  if (regexUsed || (typeof value !== 'number' && value !== undefined)) {
    out.push('R');
  } else if (value === undefined) {
    out.push('U');
  } else {
    view.setFloat64(0, value);
    out.push('N ' + view.getBigUint64(0).toString(16).padStart(16, '0'));
  }
}
out.push('');
fs.writeFileSync(1, out.join('\n'));
