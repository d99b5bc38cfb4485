# bash completion for tarnel-cli
_tarnel_cli() {
    local cur prev
    _init_completion || return

    case "$prev" in
        --preset)
            COMPREPLY=($(compgen -W 'proxy lt 422 hq 4444 4444xq' -- "$cur"))
            return
            ;;
        --output)
            _filedir -d
            return
            ;;
        --redline)
            _filedir
            return
            ;;
        --fcpxml)
            _filedir fcpxml
            return
            ;;
    esac

    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W '--preset --output --redline --send-to-fcp --no-send-to-fcp
            --fcpxml --name-like-clip --dry-run --json --quiet --help --version' -- "$cur"))
        return
    fi
    # Clips and the folders that hold them.
    _filedir '@(R3D|r3d)'
} &&
    complete -F _tarnel_cli tarnel-cli
