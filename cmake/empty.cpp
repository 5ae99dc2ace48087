// Keeps a folder library buildable while its folder has no sources yet.
