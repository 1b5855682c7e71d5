# One command's --help (as CLI11 prints it) as a man page subsection: its
# usage, what it does, then each argument and option with its help.
function text(s) {
    gsub(/\\/, "\\e", s)
    sub(/^[.']/, "\\\\&&", s)
    return s
}
function dashes(s) {
    gsub(/-/, "\\-", s)
    return s
}
function flush() {
    if (term != "")
        printf ".TP\n%s\n%s\n", term, text(desc)
    term = ""
    desc = ""
}
BEGIN { intro = "" }
/^Usage: / {
    usage = substr($0, 8)
    split(usage, words, " ")
    command = words[1]
    for (i = 2; i <= length(words) && words[i] !~ /^\[/; i++)
        command = command " " words[i]
    # The usage stays on one line: a line of the include file that starts
    # with "[" would begin a section.
    printf ".SS \"%s\"\n\\fB%s\\fR%s\n.PP\n%s\n", command, command,
           text(substr(usage, length(command) + 1)), text(intro)
    next
}
!usage { intro = intro (intro == "" ? "" : " ") $0; next }
/^[^ ].*:$/ { flush(); section = $0; next }
/^  [^ ]/ {
    flush()
    entry = substr($0, 3)
    cut = index(entry, "  ")
    if (cut > 0) {
        desc = substr(entry, cut)
        sub(/^ +/, "", desc)
        entry = substr(entry, 1, cut - 1)
    }
    name = entry
    type = ""
    if (index(entry, " ") > 0) {
        name = substr(entry, 1, index(entry, " ") - 1)
        type = substr(entry, index(entry, " ") + 1)
    }
    if (name == "-h,--help")
        next
    if (section == "Options:") {
        gsub(/,/, "\\fR, \\fB", name)
        term = "\\fB" dashes(name) "\\fR"
    } else
        term = "\\fI" name "\\fR"
    if (type != "")
        term = term " " text(type)
    next
}
/^   *[^ ]/ {
    line = $0
    sub(/^ +/, "", line)
    desc = desc (desc == "" ? "" : " ") line
    next
}
END { flush() }
