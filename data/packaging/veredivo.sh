#!/bin/sh
# Starts Veredivo from the user's own copy of the program folder: the program keeps its quote
# tables, settings and log beside itself, which an installed folder does not allow. The copy is
# made on the first start and brought up to date after every upgrade; the agent's own tables
# (customers, quotes, sub-classes) and settings in it are never replaced.
set -eu
system=/opt/veredivo
own="${XDG_DATA_HOME:-$HOME/.local/share}/veredivo/program"
version=$(cat "$system/VERSION")
if [ ! -x "$own/veredivo" ] || [ "$(cat "$own/VERSION" 2>/dev/null)" != "$version" ]; then
    mkdir -p "$own"
    (cd "$system" && find . -type d) | while IFS= read -r folder; do
        mkdir -p "$own/$folder"
    done
    (cd "$system" && find . -type f) | while IFS= read -r file; do
        case "$(basename "$file" | tr '[:lower:]' '[:upper:]')" in
        CUST*.DBF | CUST*.MDX | CUST*.DBT | USRCLASS.* | DATAINFO.INI)
            [ -e "$own/$file" ] && continue ;;
        esac
        cp -p "$system/$file" "$own/$file.new"
        mv -f "$own/$file.new" "$own/$file"
    done
fi
exec "$own/veredivo" "$@"
