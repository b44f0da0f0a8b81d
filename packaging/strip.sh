#!/bin/sh
# The strip the package's install step uses: as Debian strips, also without the compilers'
# .comment and .note sections.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
