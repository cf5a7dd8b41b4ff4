"""Parts of the local development service; tools/devservice.py is the entry point."""
