// Placeholder so the library exists before its first source lands; delete it then.
