# The recipes of a guide: each indented block that starts with #!/bin/sh,
# its indentation removed, written to OUT/1, OUT/2 and so on (awk -v
# out=OUT). With pad=1 each keeps the guide's line numbers: the lines
# before it are blank.
inside && /[^ ]/ && substr($0, 1, indent) !~ /^ *$/ { inside = 0; close(file) }
inside { print substr($0, indent + 1) >file; next }
/^ *#!\/bin\/sh$/ {
  indent = index($0, "#") - 1; file = out "/" ++n; inside = 1
  if (pad) for (i = 1; i < NR; i++) print "" >file
  print substr($0, indent + 1) >file
}
