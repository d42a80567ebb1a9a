# Functions of run-in-vm.sh (sourced, not run): the cached Debian kernel and
# its modules, and the RAM disks the machine boots from. They use CACHE, KDIR,
# KVER, HERE, say and give_up of run-in-vm.sh.

# Kernel modules per stage (the files they need come along): the disk core,
# then each controller on its own, so that the AHCI disk is named first.
CORE_MODULES="scsi_mod sd_mod sg libata"
SATA_MODULES="ahci"
PATA_MODULES="ata_piix"

# ------------------------------------------------------------------ kernel
# Prints the name of the kernel package to boot: QM_VM_KERNEL_PKG, else the
# one already in the cache (asking apt takes seconds), else the one Debian's
# linux-image-amd64 depends on. Without package lists (never updated) root
# updates them once.
kernel_package() {
    if [ -n "${QM_VM_KERNEL_PKG:-}" ]; then echo "$QM_VM_KERNEL_PKG"; return; fi
    local pkg
    pkg=$(cd "$CACHE" && ls -d linux-image-*/ready 2>/dev/null | sort -V | tail -n1 || true)
    if [ -n "$pkg" ]; then echo "${pkg%/ready}"; return; fi
    pkg=$(newest_kernel_package)
    if [ -z "$pkg" ] && [ "$(id -u)" = 0 ]; then
        say "apt-get update (no package lists yet)"
        apt-get update -qq >&2 || true
        pkg=$(newest_kernel_package)
    fi
    [ -n "$pkg" ] || give_up "cannot tell which kernel package to use (apt-cache depends linux-image-amd64 says nothing)"
    echo "$pkg"
}
newest_kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        awk '$1 == "Depends:" && $2 ~ /^linux-image-/ { print $2; exit }'
}

# The payload of a bzImage is the compressed ELF kernel. QEMU boots that ELF
# directly (PVH entry), which spares the emulated CPU the decompression, a few
# seconds under software emulation. Returns non-zero when it cannot unpack it.
unpack_vmlinux() {
    local bz=$1 out=$2 setup_sects offset length start magic
    setup_sects=$(od -An -tu1 -j $((0x1f1)) -N1 "$bz" | tr -d ' ')
    [ "$setup_sects" != 0 ] || setup_sects=4
    offset=$(od -An -tu4 -j $((0x248)) -N4 "$bz" | tr -d ' ')
    length=$(od -An -tu4 -j $((0x24c)) -N4 "$bz" | tr -d ' ')
    start=$(((setup_sects + 1) * 512 + offset))
    magic=$(od -An -tx1 -j "$start" -N4 "$bz" | tr -d ' ')
    case $magic in
        fd377a58) tail -c +$((start + 1)) "$bz" | head -c "$length" | xz -dc --single-stream ;;
        1f8b*) tail -c +$((start + 1)) "$bz" | head -c "$length" | gzip -dc ;;
        28b52ffd) tail -c +$((start + 1)) "$bz" | head -c "$length" | zstd -qdc ;;
        *) false ;;
    esac >"$out" 2>/dev/null || true
    [ "$(head -c4 "$out" | od -An -tx1 | tr -d ' ')" = 7f454c46 ] || { rm -f "$out"; return 1; }
}

# Downloads and unpacks kernel package $1 into the cache folder KDIR: the
# kernel, its module dependency list, and the package itself, from which the
# module files are taken as they are needed.
fetch_kernel() {
    local pkg=$1 tmp=$CACHE/$1.partial kver moddir
    say "first use of $pkg: downloading it from Debian's repository into $CACHE"
    rm -rf "$tmp"; mkdir -p "$tmp/tree"
    (cd "$tmp" && apt-get download -qq -o APT::Sandbox::User=root "$pkg") >&2 ||
        give_up "apt-get download $pkg failed"
    mv "$tmp"/*.deb "$tmp/package.deb"
    dpkg-deb --fsys-tarfile "$tmp/package.deb" |
        tar -x -C "$tmp/tree" --wildcards './boot/vmlinuz-*' '*/modules/*' ||
        give_up "cannot unpack $pkg"
    kver=$(cd "$tmp/tree/boot" && ls vmlinuz-* | sed 's/^vmlinuz-//' | head -n1)
    for moddir in usr/lib/modules/"$kver" lib/modules/"$kver" ""; do
        [ -z "$moddir" ] || [ ! -d "$tmp/tree/$moddir" ] || break
    done
    [ -n "$kver" ] && [ -n "$moddir" ] || give_up "no kernel or modules in $pkg"
    mkdir -p "$tmp/depmod/lib/modules"
    mv "$tmp/tree/$moddir" "$tmp/depmod/lib/modules/"
    depmod -b "$tmp/depmod" "$kver" || give_up "depmod failed for $kver"
    cp "$tmp/depmod/lib/modules/$kver/"modules.{dep,builtin} "$tmp/"
    echo "./$moddir" >"$tmp/members"
    mv "$tmp/tree/boot/vmlinuz-$kver" "$tmp/vmlinuz"
    unpack_vmlinux "$tmp/vmlinuz" "$tmp/vmlinux" ||
        say "cannot unpack the ELF kernel: booting the compressed one (slower)"
    rm -rf "$tmp/tree" "$tmp/depmod"
    echo "$kver" >"$tmp/ready"
    rm -rf "${CACHE:?}/$pkg"; mv "$tmp" "$CACHE/$pkg"
}

# Sets KDIR, KVER and BOOT_IMAGE for the kernel to boot.
prepare_kernel() {
    local pkg old
    pkg=$(kernel_package)
    KDIR=$CACHE/$pkg
    [ -f "$KDIR/ready" ] || fetch_kernel "$pkg"
    KVER=$(cat "$KDIR/ready")
    BOOT_IMAGE=$KDIR/vmlinuz
    [ -f "$KDIR/vmlinux" ] && BOOT_IMAGE=$KDIR/vmlinux
    for old in "$CACHE"/linux-image-*; do
        [ "$old" = "$KDIR" ] || rm -rf "$old"
    done
}

# Prints, dependencies first, the module files (paths in the module folder)
# that the named modules need. Built-in modules need none.
module_files() {
    local listed name path
    listed=$(awk -v want="$*" '
        function key(s) { sub(/.*\//, "", s); sub(/\.ko(\.[a-z]+)?$/, "", s); gsub(/-/, "_", s); return s }
        { p = $1; sub(/:$/, "", p); deps[p] = NF - 1; line[p] = $0; file[key(p)] = p }
        END {
            n = split(want, w, " ")
            for (i = 1; i <= n; i++) {
                k = key(w[i])
                if (!(k in file)) { print "missing", w[i]; continue }
                need[file[k]] = 1
                m = split(line[file[k]], d, " ")
                for (j = 2; j <= m; j++) need[d[j]] = 1
            }
            # A module needs fewer modules than anything that needs it.
            for (p in need) print deps[p], p
        }' "$KDIR/modules.dep" | sort -k1,1n -k2,2)
    while read -r name path; do
        [ -n "$name" ] || continue
        if [ "$name" != missing ]; then echo "$path"; continue; fi
        grep -qE "/${path//[-_]/[-_]}\.ko" "$KDIR/modules.builtin" ||
            give_up "no kernel module $path in $KVER"
    done <<<"$listed"
}

# Copies the module files $2... into the RAM disk tree $1, uncompressed (as
# busybox insmod wants them), taking any not yet cached from the package.
stage_modules() {
    local root=$1 f missing=(); shift
    for f in "$@"; do [ -f "$KDIR/ko/$f" ] || missing+=("$(cat "$KDIR/members")/$f"); done
    if [ ${#missing[@]} -gt 0 ]; then
        mkdir -p "$KDIR/ko"
        dpkg-deb --fsys-tarfile "$KDIR/package.deb" |
            tar -x -C "$KDIR/ko" --strip-components="$(($(tr -cd / <"$KDIR/members" | wc -c) + 1))" "${missing[@]}" ||
            give_up "cannot take the modules out of the kernel package"
    fi
    for f in "$@"; do
        local dest
        dest=$root/usr/lib/modules/$KVER/$(strip_compression "$f")
        mkdir -p "$(dirname "$dest")"
        case $f in
            *.xz) xz -dc "$KDIR/ko/$f" >"$dest" ;;
            *.zst) zstd -qdc "$KDIR/ko/$f" >"$dest" ;;
            *.gz) gzip -dc "$KDIR/ko/$f" >"$dest" ;;
            *) cp "$KDIR/ko/$f" "$dest" ;;
        esac
    done
}
strip_compression() { printf '%s\n' "${1%.ko*}.ko"; }

# Writes the module list of stage $2 into tree $1 and stages its files;
# modules an earlier stage loads (listed in SEEN_MODULES) are left out.
SEEN_MODULES=" "
module_stage() {
    local root=$1 stage=$2 f files=() listed; shift 2
    [ $# -gt 0 ] || return 0
    listed=$(module_files "$@")
    for f in $listed; do
        case $SEEN_MODULES in *" $f "*) continue ;; esac
        SEEN_MODULES+="$f "
        files+=("$f")
    done
    mkdir -p "$root/etc/qm-vm"
    : >"$root/etc/qm-vm/modules.$stage"
    [ ${#files[@]} -gt 0 ] || return 0
    stage_modules "$root" "${files[@]}"
    for f in "${files[@]}"; do strip_compression "$f"; done >"$root/etc/qm-vm/modules.$stage"
}

# ------------------------------------------------------------------ RAM disk
# The machine's tree has a merged /usr: /bin, /sbin, /lib and /lib64 link
# into /usr, and files are staged at their /usr path, so that the tree of a
# run can be unpacked over the base without replacing those links.
usr_path() {
    case $1 in
        /bin/*|/sbin/*|/lib/*|/lib64/*) printf '/usr%s\n' "$1" ;;
        *) printf '%s\n' "$1" ;;
    esac
}

# put_file SRC ROOT DEST: SRC (links followed, mode kept) at DEST in tree ROOT.
put_file() {
    local dest
    dest=$2$(usr_path "$3")
    mkdir -p "$(dirname "$dest")"
    cp -R -L --preserve=mode "$1" "$dest"
}

# put_program SRC ROOT DEST: SRC at DEST, and every shared library and the
# loader it needs at the path the loader looks for them.
put_program() {
    local lib
    put_file "$1" "$2" "$3"
    for lib in $(ldd "$1" 2>/dev/null | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }'); do
        [ -e "$2$(usr_path "$lib")" ] || put_file "$lib" "$2" "$lib"
    done
}

make_archive() {  # TREE OUT: a newc cpio of TREE, everything owned by root
    (cd "$1" && find . -mindepth 1 | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) >"$2"
}

build_base() {
    local tree=$1 d tool
    mkdir -p "$tree"/usr/{bin,sbin,lib,lib64} "$tree"/{etc/qm-vm,proc,sys,dev,tmp,root,mnt,qm}
    for d in bin sbin lib lib64; do ln -s "usr/$d" "$tree/$d"; done
    cp /bin/busybox "$tree/usr/bin/busybox"
    ln -s busybox "$tree/usr/bin/sh"
    put_program "$(command -v smartctl)" "$tree" /usr/sbin/smartctl
    tool=$(command -v skdump || true)
    [ -z "$tool" ] || put_program "$tool" "$tree" /usr/sbin/skdump
    for d in /usr/share/smartmontools /var/lib/smartmontools/drivedb; do
        [ -f "$d/drivedb.h" ] && put_file "$d/drivedb.h" "$tree" "$d/drivedb.h"
    done
    printf '%s\n' 'root:x:0:0:root:/root:/bin/sh' 'nobody:x:65534:65534:nobody:/nonexistent:/bin/sh' >"$tree/etc/passwd"
    printf '%s\n' 'root:x:0:' 'disk:x:6:' 'nogroup:x:65534:' >"$tree/etc/group"
    cp "$HERE/init.sh" "$tree/init"
    chmod 755 "$tree/init"
    module_stage "$tree" core $CORE_MODULES
    module_stage "$tree" sata $SATA_MODULES
    module_stage "$tree" pata $PATA_MODULES
}

# Sets BASE_ARCHIVE: the RAM disk every run shares, built once per kernel,
# tool set and harness version.
prepare_base() {
    local key
    key=$({
        echo "$KVER $CORE_MODULES/$SATA_MODULES/$PATA_MODULES"
        cat "$HERE/init.sh" "$HERE/image.sh"
        ls -lL /bin/busybox "$(command -v smartctl)" "$(command -v skdump || echo /dev/null)"
    } | sha256sum | cut -c1-16)
    BASE_ARCHIVE=$CACHE/base-$key.cpio
    [ -s "$BASE_ARCHIVE" ] && return 0
    say "building the base RAM disk $BASE_ARCHIVE"
    local tree=$CACHE/base.partial
    rm -rf "$tree"
    build_base "$tree"
    make_archive "$tree" "$BASE_ARCHIVE.partial"
    rm -rf "$tree" "$CACHE"/base-*.cpio
    mv "$BASE_ARCHIVE.partial" "$BASE_ARCHIVE"
}

# The run's own tree: command, token, added files, extra modules (with
# --nvme the NVMe driver first, and the flag that makes init wait for it).
build_run_tree() {
    local tree=$1 f src dest
    mkdir -p "$tree/etc/qm-vm" "$tree/qm"
    printf '%s\n' "$COMMAND_LINE" >"$tree/etc/qm-vm/command.sh"
    printf 'RUN_TOKEN=%s\n' "$RUN_TOKEN" >"$tree/etc/qm-vm/run.conf"
    if [ "$NVME" = 1 ]; then
        : >"$tree/etc/qm-vm/nvme"
        EXTRA_MODULES=(nvme "${EXTRA_MODULES[@]}")
    fi
    for f in "${ADDS[@]}"; do put_program "$f" "$tree" "/qm/$(basename "$f")"; done
    for f in "${FILES[@]}"; do
        src=${f%%:*} dest=/qm/$(basename "$src")
        [ "$src" = "$f" ] || dest=${f#*:}
        case $dest in /*) ;; *) dest=/qm/$dest ;; esac
        put_file "$src" "$tree" "$dest"
    done
    SEEN_MODULES=" $(module_files $CORE_MODULES $SATA_MODULES $PATA_MODULES | tr '\n' ' ')"
    module_stage "$tree" extra "${EXTRA_MODULES[@]}"
}

