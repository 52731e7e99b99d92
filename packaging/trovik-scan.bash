# bash completion for trovik-scan: its options, the values some of them take, and file names.
_trovik_scan() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} word
    local options="-r --recursive -j --jobs -q --quiet --no-messages -i --infected -s --show-match --json
        -f --files-from -0 --null -Z --print0 --exclude --exclude-dir -L --follow --summary -h --help
        --version"
    # bash splits "--jobs=4" into "--jobs", "=" and "4": the value is completed as after "--jobs".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    case $prev in
        -j | --jobs)
            mapfile -t COMPREPLY < <(compgen -W "1 2 4 8 16" -- "$cur")
            return
            ;;
        --exclude | --exclude-dir)
            COMPREPLY=()  # a glob: nothing to offer
            return
            ;;
        -f | --files-from)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
    esac
    # After "--" every word is a path.
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        [[ $word == -- ]] && options=
    done
    if [[ $cur == -* && -n $options ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}
complete -o filenames -F _trovik_scan trovik-scan
