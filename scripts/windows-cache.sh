# What the scripts that cross-build a library for 64-bit Windows share (qt-for-windows,
# isospec-for-windows); sourced, not run. Each build goes into a folder of the cache
# (VARNOCK_CACHE, /var/cache/varnock by default) named by the library's version, the compiler's
# and a digest of everything that shapes the build, so that a change of any of them builds into
# a new folder. A lock serialises two builds of one folder; the stamp file, written last, marks
# a folder complete: a folder without it is an interrupted build and is built again. Messages
# go to standard error, the folder alone to standard output.
#
# A script calls, in this order:
#   CacheFolder NAME VERSION DIGEST_INPUT...  sets Folder and Stamp; with --folder as the
#                                             script's argument it prints the folder and exits
#   HoldCache                                 waits on the lock; prints the folder and exits
#                                             when it is complete; else makes Work, a
#                                             temporary folder removed at exit, and goes there
#   FetchSource PACKAGE VERSION              (if Debian's source package is what it builds)
#   FinishCache TEXT                          writes what was built and how long it took, and
#                                             the stamp, and prints the folder

CacheRoot=${VARNOCK_CACHE:-/var/cache/varnock}
Target=x86_64-w64-mingw32
# "12-posix": the version of Debian's posix flavour of the compiler, for the folder's name; the
# digest takes the package's full version.
Compiler=$($Target-g++-posix -dumpfullversion)
CompilerPackage=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
CacheScript=$(basename "$0")

Say() { echo "$CacheScript: $*" >&2; }

CacheFolder() { # name version digest-input...
    CacheName=$1
    local Version=$2 Digest
    shift 2
    Digest=$(printf '%s\n' "$Version" "$CompilerPackage" "$@" | sha256sum | cut -c1-12)
    Folder=$CacheRoot/$CacheName-$Version-mingw-w64-gcc-$Compiler-$Digest
    Stamp=$Folder/varnock-$CacheName-complete
    if [ "${CacheArgument:-}" = --folder ]; then
        echo "$Folder"
        exit 0
    fi
}

HoldCache() {
    mkdir -p "$CacheRoot"
    exec 9>"$Folder.lock"
    flock 9 # another build of the same folder finishes first
    if [ -f "$Stamp" ]; then
        echo "$Folder"
        exit 0
    fi
    CacheStart=$SECONDS
    rm -rf "$Folder"
    Work=$(mktemp -d "${TMPDIR:-/tmp}/varnock-$CacheName.XXXXXX")
    trap 'rm -rf "$Work"' EXIT
    cd "$Work"
}

Sudo=()
[ "$(id -u)" -ne 0 ] && Sudo=(sudo)

# A deb-src entry beside each Debian deb entry of the machine's own lists, if there is none yet.
AddSourceEntries() {
    local SourceList=/etc/apt/sources.list.d/varnock-deb-src.sources File
    Say "adding $SourceList"
    {
        # deb822 stanzas: the Debian ones with Types deb, as deb-src.
        for File in /etc/apt/sources.list.d/*.sources; do
            [ -f "$File" ] && [ "$File" != "$SourceList" ] || continue
            awk -v RS= -v ORS='\n\n' '/(^|\n)Types:[^\n]*deb([ \n]|$)/ && /URIs:[^\n]*debian/ {
                sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$File"
        done
        # One-line entries.
        for File in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$File" ] || continue
            awk '$1 == "deb" && /debian/ {
                Options = ""; First = 2
                if ($2 ~ /^\[/) { Options = $2; First = 3; while ($(First - 1) !~ /\]$/) Options = Options " " $(First++) }
                printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:", $First, $(First + 1)
                for (i = First + 2; i <= NF; i++) printf " %s", $i
                if (Options ~ /signed-by=/) { sub(/.*signed-by=/, "", Options); sub(/[] ].*/, "", Options); printf "\nSigned-By: %s", Options }
                printf "\n\n" }' "$File"
        done
    } | "${Sudo[@]}" tee "$SourceList" >/dev/null
    "${Sudo[@]}" apt-get update -qq
}

# Debian's source package into Work; Source names its folder. Debian's archive is the only
# place anything is downloaded from.
FetchSource() { # package version
    [ -n "$(apt-cache showsrc "$1" 2>/dev/null)" ] || AddSourceEntries
    Say "fetching the source of $1 $2"
    apt-get source -qq "$1=$2" >source.log 2>&1 || {
        cat source.log >&2
        exit 1
    }
    Source=$(find "$Work" -maxdepth 1 -type d -name "$1-*" | head -n1)
}

# Runs a build step with its output in Work/LOG, shown (the end of it) only when it fails.
Step() { # log command...
    local Log=$Work/$1
    shift
    "$@" >"$Log" 2>&1 || {
        tail -n 60 "$Log" >&2
        exit 1
    }
}

FinishCache() { # description
    local Seconds=$((SECONDS - CacheStart))
    Say "$CacheName for Windows ready in $((Seconds / 60)) min $((Seconds % 60)) s, $(du -sh "$Folder" | cut -f1)"
    echo "$1, built in $Seconds s on $(nproc) cores on $(date -u +%F)" >"$Folder/varnock-$CacheName-build.txt"
    # Last, so that a folder without it was never finished.
    touch "$Stamp"
    echo "$Folder"
}
