# Turns the --help text of one mirel-migrate subcommand (CLI11's layout) into
# man page text for a help2man include file: a subsection named after the
# usage line, the description, an indented list of arguments and options,
# the paragraphs after them, and the examples kept line by line.
#
# CLI11 prints an argument or option as two spaces, the name (with its value
# and constraints) padded to column 30, and the description; a name too long
# for that column has its description on the next line, 30 spaces in.

function roff(s) {
  gsub(/\\/, "\\e", s)
  gsub(/-/, "\\-", s)
  # A line of ours must not start a request, nor look like a section or a
  # pattern to help2man.
  if (s ~ /^[.'\/\[]/) s = "\\&" s
  return s
}

# "-j,--jobs N:INT in [1 - 64]": the names in bold, the rest as printed.
function entry_name(s,    first, rest, n, i, names, out) {
  sub(/^ +/, "", s)
  sub(/ +$/, "", s)
  first = s
  rest = ""
  if (match(s, / /)) {
    first = substr(s, 1, RSTART - 1)
    rest = substr(s, RSTART)
  }
  if (first !~ /^-/) return "\\fI" roff(first) "\\fR" roff(rest)
  n = split(first, names, ",")
  out = ""
  for (i = 1; i <= n; i++) out = out (i > 1 ? ", " : "") "\\fB" roff(names[i]) "\\fR"
  return out roff(rest)
}

function end_examples() {
  if (examples) print ".fi\n.RE"
  examples = 0
}

function flush_entry() {
  if (pending != "") {
    # No description on lines of its own: it follows the name on its line.
    if (!continued && length(pending) > 30) {
      pending_desc = substr(pending, 31)
      pending = substr(pending, 1, 30)
    }
    print ".TP"
    print entry_name(pending)
    if (pending_desc != "") print roff(pending_desc)
  }
  pending = ""
  pending_desc = ""
  continued = 0
}

function is_continuation(s) {
  return length(s) > 30 && substr(s, 1, 30) ~ /^ *$/ && substr(s, 31, 1) != " "
}

NR == 1 { description = $0; next }

/^Usage: / {
  usage = substr($0, 8)
  print ".SS \"" roff(usage) "\""
  print roff(description)
  next
}

/^$/ { flush_entry(); end_examples(); next }

/^(Positionals|Options):$/ { flush_entry(); in_list = 1; print ".PP\n" $0; next }

in_list && /^  [^ ]/ { flush_entry(); pending = $0; next }

in_list && pending != "" && is_continuation($0) {
  continued = 1
  d = substr($0, 31)
  pending_desc = pending_desc == "" ? d : pending_desc " " d
  next
}

/^Examples?:$/ { flush_entry(); in_list = 0; print ".PP\n" $0 "\n.RS\n.nf"; examples = 1; next }

examples && /^  / { print roff(substr($0, 3)); next }

{
  flush_entry()
  end_examples()
  in_list = 0
  print ".PP"
  print roff($0)
}

END { flush_entry(); end_examples() }
