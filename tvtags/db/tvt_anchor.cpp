// Placeholder translation unit so the library has a member.
