#!/usr/bin/env node
// Parses every batch of generated T-SQL scripts with an independent parser (antlr4ts-sql's
// T-SQL grammar) and reports each batch it rejects. Batches are the text between GO lines.
//   node check.js FILE-OR-DIR...
// Exit status: 0 all batches parse, 1 some do not, 2 usage, 77 the parser is not installed.
'use strict';

const fs = require('fs');
const path = require('path');

let parserLib;
try {
  parserLib = require(path.join(__dirname, 'node_modules', 'antlr4ts-sql'));
} catch (e) {
  console.log('SKIP: the T-SQL parser is not installed (run scripts/prepare-test-tools): ' + e.message.split('\n')[0]);
  process.exit(77);
}
const { antlr4tsSQL, SQLDialect, BailErrorStrategy } = parserLib;

// Statements SQL Server 2000 accepts that the grammar wrongly rejects. Each is rewritten into
// a form the grammar knows before the batch is parsed, so that the rest of the batch is still
// checked.
const bracketed = String.raw`\[(?:[^\]]|\]\])*\]`;
const exceptions = [
  { name: 'CREATE DEFAULT', pattern: /^((?:\s|--[^\n]*\n)*)CREATE\s+DEFAULT\s+[\s\S]+?\s+AS\s+/i, replace: '$1SELECT ' },
  { name: 'ALTER TABLE ... WITH NOCHECK ADD', pattern: /\bWITH\s+NOCHECK\s+ADD\b/gi, replace: 'ADD' },
  { name: 'ALTER TABLE ... NOCHECK CONSTRAINT', pattern: /\bNOCHECK\s+CONSTRAINT\b/gi, replace: 'CHECK CONSTRAINT' },
  { name: 'ALTER TABLE ... CHECK CONSTRAINT ALL', pattern: /\b(CHECK\s+CONSTRAINT)\s+ALL\b/gi, replace: '$1 [ALL]' },
  { name: 'ALTER TABLE ... ENABLE / DISABLE TRIGGER ALL', pattern: /\b((?:EN|DIS)ABLE\s+TRIGGER)\s+ALL\b/gi, replace: '$1 [ALL]' },
  {
    name: 'IF UPDATE(column) in a trigger',
    pattern: new RegExp(String.raw`(\b(?:IF|AND|OR)\s+)UPDATE\s*\(\s*(?:\w+|${bracketed})\s*\)`, 'gi'),
    replace: '$1(1 = 1)',
  },
  {
    name: 'index options (WITH FILLFACTOR, PAD_INDEX, IGNORE_DUP_KEY, STATISTICS_NORECOMPUTE)',
    pattern: /\s+WITH\s+(?:PAD_INDEX|FILLFACTOR\s*=\s*\d+|IGNORE_DUP_KEY|STATISTICS_NORECOMPUTE)(?:\s*,\s*(?:PAD_INDEX|FILLFACTOR\s*=\s*\d+|IGNORE_DUP_KEY|STATISTICS_NORECOMPUTE))*/gi,
    replace: '',
  },
  { name: 'NOT FOR REPLICATION on a foreign key', pattern: /(\bREFERENCES\b[^\n]*?)\s+NOT\s+FOR\s+REPLICATION\b/gi, replace: '$1' },
  { name: 'GRANT with several permissions', pattern: /\b(GRANT|DENY|REVOKE)\s+(\w+)(?:\s*,\s*\w+)+\s+ON\b/gi, replace: '$1 $2 ON' },
  {
    name: 'GRANT with a column list',
    pattern: new RegExp(String.raw`(\bON\s+(?:${bracketed}\.)?${bracketed})\s*\((?:\s*${bracketed}\s*,?)+\)\s+TO\b`, 'gi'),
    replace: '$1 TO',
  },
  { name: 'DENY and REVOKE', pattern: /^(\s*)(?:DENY|REVOKE)\b/gim, replace: '$1GRANT' },
  { name: 'GRANT UPDATE and GRANT DELETE', pattern: /^(\s*GRANT\s+)(?:UPDATE|DELETE)\b/gim, replace: '$1INSERT' },
];

const used = new Map();

function rewrite(batch) {
  let text = batch;
  for (const ex of exceptions) {
    const next = text.replace(ex.pattern, ex.replace);
    if (next !== text) used.set(ex.name, (used.get(ex.name) || 0) + 1);
    text = next;
  }
  return text;
}

const sql = new antlr4tsSQL(SQLDialect.TSQL);

// The first error only: the grammar's error recovery is very slow on large batches.
function firstError(text) {
  let error = null;
  const listener = {
    syntaxError: (recognizer, symbol, line, column, message) => {
      if (!error) error = `line ${line}:${column} ${message}`;
    },
  };
  try {
    const parser = sql.getParser(sql.getTokens(text, [listener]), [listener]);
    parser.errorHandler = new BailErrorStrategy();
    parser.tsql_file();
  } catch (e) {
    if (!error) {
      const token = e.cause && e.cause.offendingToken;
      error = token ? `line ${token.line}:${token.charPositionInLine} unexpected '${token.text}'` : String(e.message || e);
    }
  }
  return error;
}

function files(args) {
  const out = [];
  for (const a of args) {
    const st = fs.statSync(a);
    if (st.isDirectory()) {
      for (const f of fs.readdirSync(a).sort()) if (f.endsWith('.sql')) out.push(path.join(a, f));
    } else {
      out.push(a);
    }
  }
  return out;
}

function main() {
  const args = process.argv.slice(2);
  if (args.length === 0 || args[0] === '--help') {
    console.log('usage: node check.js FILE-OR-DIR...\nParses every batch (text between GO lines) of each .sql file and reports the ones rejected.');
    process.exit(args.length === 0 ? 2 : 0);
  }
  let batches = 0;
  let failed = 0;
  for (const file of files(args)) {
    const text = fs.readFileSync(file, 'utf8');
    let line = 1;
    for (const part of text.split(/^GO[ \t]*\r?\n/m)) {
      const startLine = line;
      line += (part.match(/\n/g) || []).length + 1;
      if (part.trim() === '') continue;
      batches += 1;
      const error = firstError(rewrite(part));
      if (error) {
        failed += 1;
        const first = part.trim().split(/\r?\n/)[0].slice(0, 120);
        console.log(`${path.basename(file)}: batch at line ${startLine}: ${error}\n    ${first}`);
      }
    }
  }
  for (const [name, n] of used) console.log(`exception applied: ${name} (${n} batches)`);
  console.log(`${batches - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

main();
